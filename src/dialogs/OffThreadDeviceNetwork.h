#pragma once

#include "IDeviceNetwork.h"
#include "NetworkWorkers.h"

#include <QEventLoop>
#include <QPointer>

#include <memory>
#include <vector>

// Puts the dialogs' network calls on a network thread: each call still
// returns its answer to its caller, but while it waits the caller's thread
// keeps processing events, so the dialog (and the window behind it) stays
// painted and answers the user. Calls reach the wrapped network one at a
// time, in the order they were made. Ending the application ends a waiting
// call at once with a failure.
class OffThreadDeviceNetwork : public IDeviceNetwork
{
public:
    explicit OffThreadDeviceNetwork(std::shared_ptr<IDeviceNetwork> inner);
    ~OffThreadDeviceNetwork() override;

    bool readValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value) override;
    bool readNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value) override;
    bool readValuesV2c(const std::vector<std::string>& oids, const std::string& community,
                       const std::string& host,
                       std::vector<std::optional<std::string>>& values) override;
    SnmpWalkEnd walkColumn(const std::string& column, const std::string& community,
                           const std::string& host, WalkedValues values,
                           std::vector<std::pair<std::string, std::string>>& rows) override;
    SnmpV3Result readV3(V3Read read, const std::vector<std::string>& oids, const SnmpV3User& user,
                        const std::string& host,
                        const std::shared_ptr<GuardedEngineCache>& engines) override;
    std::string lastFailure(const std::string& host) override;
    // The call waiting now returns at once, failed; its work on the network
    // thread ends at its next wait.
    void cancelWaits() override;
    std::optional<std::string> defaultGateway() override;
    int pingRoundTrip(const std::string& host) override;
    std::string answeredFrom(const std::string& host) override;

private:
    // Runs `call` on the network thread and processes events until it is
    // done; false when it could not finish (the application is ending, or
    // cancelWaits came first).
    bool await(std::function<void(IDeviceNetwork&)> call);

    // What cancelWaits ends: the loop the caller waits in, and the network
    // waits of the call on the network thread.
    struct Waiting
    {
        QPointer<QEventLoop> loop;
        std::shared_ptr<WaitCancel> cancel;
        bool cancelled = false;
    };

    std::shared_ptr<IDeviceNetwork> m_inner;
    // Calls wait inside each other's event loops: the innermost is last.
    std::vector<Waiting*> m_waiting;
    NetworkWorkers m_workers{1};
};
