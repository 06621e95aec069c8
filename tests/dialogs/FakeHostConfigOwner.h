#pragma once

#include "IHostConfigOwner.h"

#include <memory>

// The options dialog as the device dialog sees it: a working list, a mode, a
// selected row and a grid that counts its refreshes.
class FakeHostConfigOwner : public IHostConfigOwner
{
public:
    explicit FakeHostConfigOwner(std::shared_ptr<IDeviceNetwork> net) : m_net(std::move(net)) {}

    std::vector<TSensorConfig> list;
    int mode = 1;
    int row = 1;
    int rows = 2;
    int gridUpdates = 0;
    bool hints = true;

    std::vector<TSensorConfig>& sensorList() override { return list; }
    int editMode() const override { return mode; }
    int selectedRow() const override { return row; }
    int gridRowCount() const override { return rows; }
    void UpdateGrid() override { ++gridUpdates; }
    bool showHints() const override { return hints; }
    IDeviceNetwork& network() override { return *m_net; }

private:
    std::shared_ptr<IDeviceNetwork> m_net;
};
