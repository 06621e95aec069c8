#pragma once

#include "E2EFixture.h"

#include <string>

// The two desktops every window-behaviour case runs on: a bare X server (no
// window manager) and openbox, as users run it.
enum class Desktop
{
    Bare,
    Openbox
};

inline std::string desktopName(const ::testing::TestParamInfo<Desktop>& info)
{
    return info.param == Desktop::Openbox ? "Openbox" : "Bare";
}

class DesktopFixture : public E2EFixture, public ::testing::WithParamInterface<Desktop>
{
protected:
    XSession::Options sessionOptions() const override
    {
        XSession::Options options;
        options.windowManager = GetParam() == Desktop::Openbox;
        return options;
    }
    bool underWindowManager() const { return GetParam() == Desktop::Openbox; }
};

#define TRAVIMETRA_ON_EVERY_DESKTOP(Fixture)                                                       \
    INSTANTIATE_TEST_SUITE_P(Desktops, Fixture,                                                    \
                             ::testing::Values(Desktop::Bare, Desktop::Openbox), desktopName)

// Openbox only, for cases that take long and are not about window behaviour
// (their pictures then show the desktop users have); with picom for the
// cases about opacity.
class OnOpenbox : public E2EFixture
{
protected:
    XSession::Options sessionOptions() const override
    {
        XSession::Options options;
        options.windowManager = true;
        return options;
    }
};

class OnOpenboxWithPicom : public E2EFixture
{
protected:
    XSession::Options sessionOptions() const override
    {
        XSession::Options options;
        options.windowManager = true;
        options.compositor = true;
        return options;
    }
};
