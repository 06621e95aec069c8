#pragma once

// What the device dialog and the device information box learn of an agent,
// for any message version: its name and description, its interfaces, an
// interface's speed and every interface's counters. Returns data and shows
// nothing; the reads go through one way to the network that the user can
// cancel, so every wait of a discovery ends within moments of Cancel.

#include "CancellableDeviceNetwork.h"
#include "DeviceInterfaces.h"
#include "SnmpV3User.h"
#include "StoredCodes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Which agent, and how it is asked.
struct DeviceAgent
{
    std::string host;
    std::string community; // SNMPv1 and SNMPv2c
    TSnmpVersion version = TSnmpVersion::V1;
};

// The device information box's contents.
struct DeviceInfo
{
    bool answered = false;    // the agent answered the name request
    std::string name;         // sysName, "Not Found" when empty
    std::string description;  // sysDescr, "Not Found" when empty
    std::string interfaces;   // ifNumber as the agent gave it, "Not Found" when empty
    std::string failure;      // why it did not answer, in words for the user; may be empty
    std::string answeredFrom; // another address that answered in its place
};

// One row of an SNMPv1 agent's interface table, read by get-next: the
// index as the agent answered it (any text) and its ifDescr.
struct SteppedInterface
{
    std::string index;
    std::string description;
};

// The interfaces of an agent, and how the listing ended: SNMPv1 fills
// stepped, the other versions interfaces.
struct DeviceInterfaceList
{
    std::vector<DeviceInterface> interfaces;
    std::vector<SteppedInterface> stepped;
    SnmpWalkEnd end = SnmpWalkEnd::Complete;
};

class DeviceDiscovery
{
public:
    // Asked at every SNMPv3 read, so the reads follow what the user typed.
    using UserSource = std::function<SnmpV3User()>;

    DeviceDiscovery(IDeviceNetwork& network, UserSource v3User);
    ~DeviceDiscovery();

    // Ends the wait in progress and fails every later read at once.
    void cancel() { m_network.cancelWaits(); }
    bool cancelled() const { return m_network.cancelled(); }

    int pingRoundTrip(const std::string& host) { return m_network.pingRoundTrip(host); }
    DeviceInfo info(const DeviceAgent& agent);
    // sysName (or the bare object when the instance is empty); nothing when
    // the agent did not answer.
    std::optional<std::string> name(const DeviceAgent& agent);
    // At most maxRows interfaces. SNMPv1 steps through the interface table
    // as far as ifNumber says; the others walk ifDescr, ifName and ifAlias.
    DeviceInterfaceList interfaces(const DeviceAgent& agent, int maxRows);
    // ifDescr of one interface, empty when the agent has none.
    std::string description(const DeviceAgent& agent, const std::string& index);
    // The interface's speed in kbit/s: ifSpeed, or ifHighSpeed above 4 Gbit/s
    // where the agent reads in bulk; 0 when unknown. SNMPv1 raises
    // TConvertError for a speed that is no number.
    int64_t detectedKbps(const DeviceAgent& agent, const std::string& index);
    // Every interface's octet counters (SNMPv2c and SNMPv3).
    bool readCounters(const DeviceAgent& agent, DeviceInterfaces::CounterSnapshot& snapshot);
    // Why the last read of the agent failed, when there is more to say than
    // that it did not reply.
    std::string lastFailure(const DeviceAgent& agent);

    // kbit/s of an SNMPv1 ifSpeed text: the gauge arrives as a signed 32-bit
    // text of an unsigned quantity, so negative texts are taken modulo 2^32.
    // Raises TConvertError for a text that is not a number.
    static int64_t kbpsOfSpeedText(const std::string& ifSpeedText);

private:
    IDeviceNetwork& reads(TSnmpVersion version);
    std::string get(const DeviceAgent& agent, const std::string& oid);
    std::string firstAnswer(const DeviceAgent& agent, const std::string& first,
                            const std::string& second);

    // Before the decorators that read through it, so it goes after them.
    CancellableDeviceNetwork m_network;
    UserSource m_v3User;
    std::unique_ptr<IDeviceNetwork> m_v2cReads;
    std::unique_ptr<IDeviceNetwork> m_v3Reads;
};
