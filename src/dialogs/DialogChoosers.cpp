#include "DialogChoosers.h"

#include <QDesktopServices>
#include <QFileDialog>

namespace DialogChoosers {
namespace {

template <typename F> F& slot()
{
    static F function;
    return function;
}

template <typename F> F replace(F function)
{
    F previous = std::move(slot<F>());
    slot<F>() = std::move(function);
    return previous;
}

} // namespace

std::optional<QString> chooseSaveFile(QWidget* parent, const SaveFileRequest& request)
{
    if (const auto& f = slot<SaveFileFunction>())
        return f(parent, request);
    QFileDialog dialog(parent, request.title, request.startFile, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The name is taken as typed: the caller decides about the extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.startFile.isEmpty())
        dialog.selectFile(request.startFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                    const QString& startFolder)
{
    if (const auto& f = slot<FolderFunction>())
        return f(parent, title, startFolder);
    const QString folder = QFileDialog::getExistingDirectory(parent, title, startFolder);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

void openUrl(const QUrl& url)
{
    if (const auto& f = slot<OpenUrlFunction>()) {
        f(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

SaveFileFunction setSaveFileFunction(SaveFileFunction function)
{
    return replace(std::move(function));
}

FolderFunction setFolderFunction(FolderFunction function)
{
    return replace(std::move(function));
}

OpenUrlFunction setOpenUrlFunction(OpenUrlFunction function)
{
    return replace(std::move(function));
}

} // namespace DialogChoosers
