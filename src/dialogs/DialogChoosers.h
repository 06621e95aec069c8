#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

// The platform's choosers and the shell's "open with the default handler".
// The program shows Qt's dialogs and hands URLs to the desktop; tests replace
// them to answer or to observe.
namespace DialogChoosers {

struct SaveFileRequest
{
    QString title;
    QString startFile; // the name proposed
    QString filter;    // Qt filter text, entries separated by ";;"
};

// The chosen file name, or nothing when the user cancelled.
using SaveFileFunction =
    std::function<std::optional<QString>(QWidget* parent, const SaveFileRequest& request)>;
// The chosen folder, or nothing when the user cancelled.
using FolderFunction = std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                                            const QString& startFolder)>;
using OpenUrlFunction = std::function<void(const QUrl& url)>;

std::optional<QString> chooseSaveFile(QWidget* parent, const SaveFileRequest& request);
std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                    const QString& startFolder);
// Opens the URL with the desktop's default handler; the outcome is not checked.
void openUrl(const QUrl& url);

// Each setter replaces the function (an empty one restores the platform's)
// and returns the previous one.
SaveFileFunction setSaveFileFunction(SaveFileFunction function);
FolderFunction setFolderFunction(FolderFunction function);
OpenUrlFunction setOpenUrlFunction(OpenUrlFunction function);

} // namespace DialogChoosers
