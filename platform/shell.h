#pragma once

#include <QString>

namespace kx {

// The desktop's opener for documents and web addresses, and its clipboard.
class Shell {
public:
    virtual ~Shell() = default;
    // Hands the document to the desktop's opener as one argument. False when it cannot be opened, with
    // the reason in whyNot (a sentence for the user).
    virtual bool open(const QString& document, QString* whyNot = nullptr) = 0;
    // Puts the text on the clipboard, for pasting into other programs.
    virtual void copyText(const QString& text) = 0;
};

} // namespace kx
