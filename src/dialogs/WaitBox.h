#pragma once

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// "Please wait..." with a Cancel button for the length of a wait the user
// started from the menu, where no dialog of its own could take the Cancel:
// Cancel, Escape and the close box call `cancel`. The box shows only when
// the wait lasts longer than a moment, and goes with the scope.
class WaitBox
{
public:
    WaitBox(QWidget* parent, std::function<void()> cancel);
    ~WaitBox();
    WaitBox(const WaitBox&) = delete;
    WaitBox& operator=(const WaitBox&) = delete;

    // How long a wait runs before the box shows.
    static constexpr int kShowAfterMs = 250;

private:
    std::unique_ptr<QProgressDialog> m_box;
};
