#pragma once

#include "TSensorConfig.h"

#include <vector>

class IDeviceNetwork;

// What the device dialog reads and writes in the dialog that opened it (the
// options dialog): the working sensor list, the mode, the selected grid row
// (entry = row - 1) and the grid's row count, and the grid refresh.
class IHostConfigOwner
{
public:
    virtual ~IHostConfigOwner() = default;

    virtual std::vector<TSensorConfig>& sensorList() = 0;
    // 1: append a new entry; 2: edit the entry of the selected row.
    virtual int editMode() const = 0;
    virtual int selectedRow() const = 0;
    virtual int gridRowCount() const = 0;
    virtual void UpdateGrid() = 0;

    // Whether the program shows hints (the main window's setting).
    virtual bool showHints() const = 0;
    virtual IDeviceNetwork& network() = 0;
};
