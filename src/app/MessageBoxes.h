#pragma once

#include <QString>

#include <functional>

// The program's modal message boxes with their fixed texts. The program shows
// them with Qt; tests replace the function to see what would be shown.
namespace MessageBoxes {

enum class Kind
{
    Error,
    Information,
    Notice // information in a box that does not wait: the program goes on
};

using Function = std::function<void(Kind kind, const QString& text)>;

// Shows a modal box with an OK button (a Notice shows one that is not modal
// and returns at once). Line feed + carriage return pairs in
// the text are shown as one line break.
void show(Kind kind, const QString& text);
inline void error(const QString& text)
{
    show(Kind::Error, text);
}
inline void information(const QString& text)
{
    show(Kind::Information, text);
}

inline void notice(const QString& text)
{
    show(Kind::Notice, text);
}

// Replaces the function; an empty one restores the message boxes. Returns
// the previous one.
Function setFunction(Function function);

} // namespace MessageBoxes
