#pragma once

#include <QString>

#include <functional>

// The modal message boxes of the dialogs and the menu: an error or an
// information with an OK button, or a question answered Yes or No. The
// program shows Qt message boxes; tests replace the function and answer.
namespace DialogMessages {

enum class Kind
{
    Error,
    Information,
    Confirmation
};

enum class Answer
{
    Ok,
    Yes,
    No
};

using Function = std::function<Answer(Kind kind, const QString& text)>;

// Shows the box and returns the button pressed. Texts break lines with a line
// feed followed by a carriage return; the carriage returns are not shown.
Answer show(Kind kind, const QString& text);
inline void error(const QString& text)
{
    show(Kind::Error, text);
}
inline void information(const QString& text)
{
    show(Kind::Information, text);
}
inline bool confirm(const QString& text)
{
    return show(Kind::Confirmation, text) == Answer::Yes;
}

// Replaces the function; an empty one restores the message boxes. Returns the
// previous one so that a test can put it back.
Function setFunction(Function function);

} // namespace DialogMessages
