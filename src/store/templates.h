#pragma once

#include "platform/iostatus.h"

#include <QString>

#include <array>

// Page templates: the collection-wide set in MyPlants/!Shablon_all and one set per group in the
// group's !Shablon folder. A group's set starts as copies of the collection-wide files; a new plant's
// pages start as copies of its group's set.
namespace templates {

inline constexpr std::array<QStringView, 3> kPages = {u"description.rtf", u"care.rtf", u"diary.rtf"};

QString mainFolder(const QString& programFolder);
QString groupFolder(const QString& programFolder, const QString& group);
// The template file of page in the collection-wide set (group empty) or in group's set.
QString file(const QString& programFolder, const QString& group, QStringView page);

// Creates the missing template files: empty collection-wide ones, and copies of them in group's set
// (group may be empty). Only a collection-wide template that cannot be created is reported; a group
// template that cannot be made stays missing and is tried again next time. Existing templates are
// never touched.
IoStatus ensureTemplates(const QString& programFolder, const QString& group);

// Copies the collection-wide templates missing from group's set into it (its folder must exist).
void copyMissingGroupTemplates(const QString& programFolder, const QString& group);

// Copies a file over destination through a temporary file, so a failed copy leaves no half file.
IoStatus copyFile(const QString& source, const QString& destination);

} // namespace templates
