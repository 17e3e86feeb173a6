#pragma once

#include <QString>

class LanguageFile;
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

// Marks a control whose text is the user's data or made by the program as it runs (a group's name,
// a file name, a counter), so that the check for texts without keys passes it by.
void markNotTranslated(QObject* control);
bool isNotTranslated(const QObject* control);

} // namespace i18n
