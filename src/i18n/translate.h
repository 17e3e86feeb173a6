#pragma once

#include <QString>

class LanguageFile;
class MessageTable;
class QObject;
class QWidget;

// Translation of the interface from a section of the language file. Every translated control
// carries its help-context number (setTextKey); its text key is "s" + that number.
namespace i18n {

// Translates a component and what it holds: a menu item with number 1 or more takes its text and
// then its sub-items are translated (number 0 skips it with its sub-items); a button or a label with
// a number above 0 takes its text; a window or a panel has each control placed on it translated; a
// menu bar or a context menu has each item translated. Tool bars, frames, group boxes, lists and
// editors are not searched. A missing entry keeps the text in place.
void translateComponent(QObject* component, const LanguageFile& file, const QString& section);

// The language in force, for the dialogs that are made later and translate themselves.
void setCurrent(const LanguageFile* file, const QString& section);
void translateWithCurrent(QWidget* dialog);
// The text of a message key in the language in force (its English default before any is).
QString message(const char* key);

// Marks a control whose text is the user's data or made by the program as it runs (a group's name,
// a file name, a counter), so that the check for texts without keys passes it by.
void markNotTranslated(QObject* control);
bool isNotTranslated(const QObject* control);

// Texts of ours that are not a control's "s" key: a control's text (a button, label, menu item, group box,
// a field's hint, a window's title) or its hint (a tool tip and the status bar's text, written
// "tip|status text") taken from a message key. The English default is set at once; retranslateMessages
// sets the texts of root and everything it holds again from the table, on every language switch.
void setTextMessage(QObject* control, const char* key);
void setHintMessage(QObject* control, const char* key);
void retranslateMessages(QObject* root, const MessageTable& messages);

// Qt's own texts (the buttons of message boxes, the file, colour, font and print dialogs) and the
// forms of dates and numbers in the language of the section: its "locale" entry ("ru", "en_GB"), else
// the language the section's name names ("Russian"). English when neither is known.
void useQtLanguage(const LanguageFile& file, const QString& section);

} // namespace i18n
