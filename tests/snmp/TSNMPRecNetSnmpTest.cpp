// Wire compatibility with net-snmp's library, the agent and tools most routers'
// peers are tested against: replies it builds decode as expected, and requests
// we build parse in it.

#include "SNMPReadMany.h"
#include "SnmpResponse.h"
#include "TSNMPRec.h"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

netsnmp_session v1Session(long version = SNMP_VERSION_1)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = version;
    return session;
}

// The datagram net-snmp builds for pdu (which it takes over).
std::string build(netsnmp_pdu* pdu, long version = SNMP_VERSION_1)
{
    netsnmp_session session = v1Session(version);
    pdu->version = version;
    pdu->community = reinterpret_cast<u_char*>(strdup("public"));
    pdu->community_len = 6;
    // snmp_build may grow the buffer with realloc, so it is malloc'd.
    std::size_t size = 1500;
    auto* packet = static_cast<u_char*>(std::malloc(size));
    std::size_t used = 0;
    const int result = snmp_build(&packet, &size, &used, &session, pdu);
    snmp_free_pdu(pdu);
    std::string datagram;
    if (result == 0) {
        // net-snmp encodes backwards, ending at the end of the buffer.
        datagram.assign(reinterpret_cast<const char*>(packet + size - used), used);
    } else {
        ADD_FAILURE() << "net-snmp could not build the message";
    }
    std::free(packet);
    return datagram;
}

TEST(TSNMPRecNetSnmp, DecodesAResponseNetSnmpBuilds)
{
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    pdu->reqid = 4711;
    pdu->errstat = 0;
    pdu->errindex = 0;
    const oid inOctets[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 2};
    const u_long counter = 4294967295UL;
    snmp_pdu_add_variable(pdu, inOctets, 11, ASN_COUNTER, &counter, sizeof counter);
    const oid ifSpeed[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 5, 2};
    const u_long gauge = 100000000UL;
    snmp_pdu_add_variable(pdu, ifSpeed, 11, ASN_GAUGE, &gauge, sizeof gauge);
    const oid upTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
    const u_long ticks = 2147483648UL;
    snmp_pdu_add_variable(pdu, upTime, 9, ASN_TIMETICKS, &ticks, sizeof ticks);
    const oid descr[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
    snmp_pdu_add_variable(pdu, descr, 9, ASN_OCTET_STR, "router", 6);
    const oid address[] = {1, 3, 6, 1, 2, 1, 4, 20, 1, 1, 192, 168, 1, 1};
    const u_char ip[] = {192, 168, 1, 1};
    snmp_pdu_add_variable(pdu, address, 14, ASN_IPADDRESS, ip, sizeof ip);
    const oid number[] = {1, 3, 6, 1, 2, 1, 2, 1, 0};
    const long integer = -5;
    snmp_pdu_add_variable(pdu, number, 9, ASN_INTEGER, &integer, sizeof integer);
    const oid objectId[] = {1, 3, 6, 1, 2, 1, 1, 2, 0};
    const oid enterprise[] = {1, 3, 6, 1, 4, 1, 8072, 3, 2, 10};
    snmp_pdu_add_variable(pdu, objectId, 9, ASN_OBJECT_ID, enterprise, sizeof enterprise);

    TSNMPRec rec;
    ASSERT_TRUE(rec.Decode(build(pdu)));
    EXPECT_EQ(rec.Community, "public");
    EXPECT_EQ(rec.PDUType, BerTag::GetResponse);
    EXPECT_EQ(rec.ID, 4711);
    ASSERT_EQ(rec.VarBindCount(), 7u);
    const std::vector<TSNMPMib> expected = {
        {"1.3.6.1.2.1.2.2.1.10.2", "-1", BerTag::Counter32},
        {"1.3.6.1.2.1.2.2.1.5.2", "100000000", BerTag::Gauge32},
        {"1.3.6.1.2.1.1.3.0", "-2147483648", BerTag::TimeTicks},
        {"1.3.6.1.2.1.1.1.0", "router", BerTag::OctetString},
        {"1.3.6.1.2.1.4.20.1.1.192.168.1.1", "192.168.1.1", BerTag::IpAddress},
        {"1.3.6.1.2.1.2.1.0", "-5", BerTag::Integer},
        {"1.3.6.1.2.1.1.2.0", "1.3.6.1.4.1.8072.3.2.10", BerTag::ObjectId},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].Oid);
        EXPECT_EQ(rec.VarBind(i).Oid, expected[i].Oid);
        EXPECT_EQ(rec.VarBind(i).Value, expected[i].Value);
        EXPECT_EQ(rec.VarBind(i).ValueType, expected[i].ValueType);
    }
}

TEST(TSNMPRecNetSnmp, NetSnmpParsesOurRequests)
{
    for (const int pduType : {BerTag::GetRequest, BerTag::GetNextRequest}) {
        SCOPED_TRACE(pduType);
        TSNMPRec rec;
        rec.Community = "secret";
        rec.PDUType = pduType;
        rec.ID = 300;
        rec.AddVarBind("1.3.6.1.2.1.2.2.1.16.2", "", BerTag::Null);
        std::string datagram = rec.Encode();

        netsnmp_session session = v1Session();
        netsnmp_pdu* pdu = snmp_pdu_create(0);
        const int result = snmp_parse(nullptr, &session, pdu,
                                      reinterpret_cast<u_char*>(datagram.data()), datagram.size());
        EXPECT_EQ(result, SNMPERR_SUCCESS);
        EXPECT_EQ(pdu->version, SNMP_VERSION_1);
        EXPECT_EQ(pdu->command, pduType);
        EXPECT_EQ(pdu->reqid, 300);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(pdu->community), pdu->community_len),
                  "secret");
        ASSERT_NE(pdu->variables, nullptr);
        const std::vector<oid> name(pdu->variables->name,
                                    pdu->variables->name + pdu->variables->name_length);
        EXPECT_EQ(name, (std::vector<oid>{1, 3, 6, 1, 2, 1, 2, 2, 1, 16, 2}));
        EXPECT_EQ(pdu->variables->type, ASN_NULL);
        EXPECT_EQ(pdu->variables->next_variable, nullptr);
        snmp_free_pdu(pdu);
    }
}

// SNMPv2c: Counter64 at its edges and the exceptions, as net-snmp's agent
// code builds them, pass the strict reply check with their values.
TEST(TSNMPRecNetSnmp, StrictCheckReadsTheV2cResponsesNetSnmpBuilds)
{
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    pdu->reqid = 4712;
    const std::uint64_t values[] = {0, 4294967296ull, 9223372036854775808ull,
                                    18446744073709551615ull};
    oid hcIn[] = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        hcIn[11] = static_cast<oid>(i + 1);
        counter64 c64;
        c64.high = static_cast<u_long>(values[i] >> 32);
        c64.low = static_cast<u_long>(values[i] & 0xFFFFFFFFu);
        snmp_pdu_add_variable(pdu, hcIn, 12, ASN_COUNTER64, &c64, sizeof c64);
    }
    const u_char exceptions[] = {SNMP_NOSUCHOBJECT, SNMP_NOSUCHINSTANCE, SNMP_ENDOFMIBVIEW};
    for (std::size_t i = 0; i < 3; ++i) {
        hcIn[11] = static_cast<oid>(10 + i);
        snmp_pdu_add_variable(pdu, hcIn, 12, exceptions[i], nullptr, 0);
    }

    SnmpResponse response;
    ASSERT_EQ(parseResponse(build(pdu, SNMP_VERSION_2c), {SNMPVersion2c, "public", 4712}, response),
              SnmpRefusal::None);
    ASSERT_EQ(response.Bindings.size(), 7u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(values[i]);
        EXPECT_EQ(response.Bindings[i].Oid, "1.3.6.1.2.1.31.1.1.1.6." + std::to_string(i + 1));
        EXPECT_EQ(response.Bindings[i].ValueType, BerTag::Counter64);
        EXPECT_EQ(response.Bindings[i].Number, values[i]);
        EXPECT_EQ(response.Bindings[i].Value, std::to_string(values[i]));
    }
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(response.Bindings[4 + i].isException());
        EXPECT_EQ(response.Bindings[4 + i].ValueType, exceptions[i]);
    }
}

// Our GetBulk and several-binding get requests parse in net-snmp as such.
TEST(TSNMPRecNetSnmp, NetSnmpParsesOurV2cRequests)
{
    TSNMPRec rec;
    rec.Version = SNMPVersion2c;
    rec.Community = "public";
    rec.PDUType = BerTag::GetBulkRequest;
    rec.ID = 9;
    rec.NonRepeaters() = 1;
    rec.MaxRepetitions() = 24;
    rec.AddVarBind("1.3.6.1.2.1.1.3.0", "", BerTag::Null);
    rec.AddVarBind("1.3.6.1.2.1.2.2.1.2", "", BerTag::Null);
    std::string datagram = rec.Encode();

    netsnmp_session session = v1Session(SNMP_VERSION_2c);
    netsnmp_pdu* pdu = snmp_pdu_create(0);
    ASSERT_EQ(snmp_parse(nullptr, &session, pdu, reinterpret_cast<u_char*>(datagram.data()),
                         datagram.size()),
              SNMPERR_SUCCESS);
    EXPECT_EQ(pdu->version, SNMP_VERSION_2c);
    EXPECT_EQ(pdu->command, SNMP_MSG_GETBULK);
    EXPECT_EQ(pdu->reqid, 9);
    EXPECT_EQ(pdu->non_repeaters, 1);
    EXPECT_EQ(pdu->max_repetitions, 24);
    int count = 0;
    for (netsnmp_variable_list* v = pdu->variables; v; v = v->next_variable)
        ++count;
    EXPECT_EQ(count, 2);
    snmp_free_pdu(pdu);
}

} // namespace
