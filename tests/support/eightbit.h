#pragma once

#include "tempprogramfolder.h"

#include <QByteArray>
#include <QString>

// A group copied from Windows: the group Розы, the folder Кусты with Дикая, the plant Чайная with the
// photo Фото.jpg, all named in Windows-1251 bytes; one plant whose name is valid in neither code page
// (0x98 is no Windows-1251 letter, 0x01 no letter at all); and the group Cacti.
namespace eightbit {

inline const QByteArray kGroup("\xD0\xEE\xE7\xFB");
inline const QByteArray kShrubs("\xCA\xF3\xF1\xF2\xFB");
inline const QByteArray kTea("\xD7\xE0\xE9\xED\xE0\xFF");
inline const QByteArray kWild("\xC4\xE8\xEA\xE0\xFF");
inline const QByteArray kPhoto("\xD4\xEE\xF2\xEE.jpg");
inline const QByteArray kBad("bad\x98\x01name");
inline const QString kBadShown = QString::fromUtf8("bad\xEF\xBF\xBD\xEF\xBF\xBDname");
// The group's folder below the program folder, ending with "/".
inline const QByteArray kG = "MyPlants/" + kGroup + "/";

inline void layOut(const TempProgramFolder& pf, const QByteArray& photo)
{
    pf.writeBytes(kG + "group.ini", "[Group]\r\nColor=255\r\nImageOrder=1\r\n");
    pf.writeBytes("MyPlants/Cacti/group.ini", "[Group]\r\nImageOrder=2\r\n");
    pf.writeBytes(kG + kShrubs + "/plant.ini", "[Main]\r\nCond=1\r\nExpanded=1\r\n");
    pf.writeBytes(kG + kShrubs + "/" + kWild + "/plant.ini", "[Main]\r\nCond=3\r\n");
    pf.writeBytes(kG + kTea + "/plant.ini", "[Main]\r\nCond=2\r\n");
    pf.writeBytes(kG + kTea + "/description.rtf", "{\\rtf1 Tea page\\par}");
    pf.writeBytes(kG + kTea + "/care.rtf", "{\\rtf1 Tea care\\par}");
    pf.writeBytes(kG + kTea + "/" + kPhoto, photo);
    pf.writeBytes(kG + kBad + "/plant.ini", "[Main]\r\nCond=0\r\n");
    pf.writeBytes(kG + kBad + "/description.rtf", "{\\rtf1 Bad page\\par}");
    pf.writeBytes("main.ini", "[Options]\r\nLastGroup=" + kGroup + "\r\n");
}

} // namespace eightbit
