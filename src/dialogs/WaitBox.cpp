#include "WaitBox.h"

#include <QProgressDialog>
#include <QTimer>

WaitBox::WaitBox(QWidget* parent, std::function<void()> cancel)
    : m_box(std::make_unique<QProgressDialog>(QStringLiteral("Please wait..."),
                                              QStringLiteral("Cancel"), 0, 0, parent))
{
    m_box->setObjectName(QStringLiteral("WaitBox"));
    m_box->setWindowTitle(QStringLiteral("Travimetra"));
    m_box->setAutoClose(false);
    m_box->setAutoReset(false);
    // Shown by the timer below only, never by the progress dialog's own
    // estimate.
    m_box->setMinimumDuration(24 * 3600 * 1000);
    m_box->reset();
    QObject::connect(m_box.get(), &QProgressDialog::canceled, m_box.get(),
                     [cancel = std::move(cancel)] { cancel(); });
    QTimer::singleShot(kShowAfterMs, m_box.get(), [box = m_box.get()] {
        if (!box->wasCanceled())
            box->show();
    });
}

WaitBox::~WaitBox()
{
    m_box->hide();
}
