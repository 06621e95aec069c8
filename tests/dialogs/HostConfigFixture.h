#pragma once

#include "DialogTestSupport.h"
#include "FakeHostConfigOwner.h"

#include "frmHostConfig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

// The device dialog opened over a network of type Network (which the test's
// SetUp creates, before making the owner), with the steps a user takes.
template <typename Network> class HostConfigFixture : public DialogTest
{
protected:
    void TearDown() override
    {
        form.reset();
        DialogTest::TearDown();
    }

    // Opens the dialog (not modal) and waits until its activation is done.
    THostConfigForm& open()
    {
        form = std::make_unique<THostConfigForm>(*owner);
        form->show();
        EXPECT_TRUE(waitFor([this] { return form->activationDone(); }));
        return *form;
    }
    template <typename T> T* get(const char* name) { return child<T>(form.get(), name); }
    // Chooses "v1", "v2c" or "v3" as the user does.
    void chooseVersion(int index)
    {
        auto* version = get<QComboBox>("SnmpVersionCB");
        version->setCurrentIndex(index);
        emit version->activated(index);
    }
    void connectTo(const char* host = "10.0.0.1")
    {
        get<QLineEdit>("HostAddressEdit")->setText(QString::fromLatin1(host));
        get<QPushButton>("CheckConnectionBT")->click();
    }
    QStringList interfaceList()
    {
        QStringList items;
        auto* combo = get<QComboBox>("OIDCombo");
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }

    // The device most tests talk to: a small router named "gateway" with lo,
    // eth0 and wlan0 (for a Network that is a ScriptedDeviceNetwork).
    void setUpSmallRouter()
    {
        DialogTest::SetUp();
        net = std::make_shared<Network>();
        net->values["1.3.6.1.2.1.1.5.0"] = "gateway";
        net->values["1.3.6.1.2.1.1.1.0"] = "A small router";
        net->addInterfaces(
            {{"1", "lo", "10000000"}, {"3", "eth0", "100000000"}, {"7", "wlan0", "54000000"}});
        owner = std::make_unique<FakeHostConfigOwner>(net);
    }

    std::shared_ptr<Network> net;
    std::unique_ptr<FakeHostConfigOwner> owner;
    std::unique_ptr<THostConfigForm> form;
};
