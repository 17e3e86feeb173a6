#pragma once

#include "../support/tempprogramfolder.h"
#include "platform/codepage.h"

#include <QByteArray>
#include <QString>

#include <ostream>

// A small collection for the search tests: two groups, a folder, a photo comment, the notes group,
// and words hidden where search must not look (a removed plant and a template).
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// RTF as the rich-edit control writes it: Cyrillic as \'hh bytes of Windows-1251.
inline QByteArray rtfPage(const char* utf8Text)
{
    QByteArray body;
    for (const char c : cp1251::encode(QString::fromUtf8(utf8Text))) {
        if (uchar(c) < 0x80)
            body += c;
        else
            body += "\\'" + QByteArray::number(uchar(c), 16);
    }
    return "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Times New Roman;}}"
           "\\viewkind4\\uc1\\pard\\f0\\fs24 " +
           body + "\\par\r\n}\r\n";
}

inline void layOutCollection(const TempProgramFolder& pf)
{
    pf.writeRecord(u8("MyPlants/Roses/group.ini"), u8("[Group]\nImageOrder=1\n"));
    pf.writeRecord(u8("MyPlants/Cacti/group.ini"), u8("[Group]\nImageOrder=2\n"));
    pf.writeRecord(u8("MyPlants/Roses/Tea/plant.ini"), u8("[Main]\nCond=2\n"));
    // "Поли{\b вать}": bold inside the word, Cyrillic as Windows-1251 bytes.
    pf.write(u8("MyPlants/Roses/Tea/description.rtf"),
             "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}\\f0 "
             "\\'cf\\'ee\\'eb\\'e8{\\b \\'e2\\'e0\\'f2\\'fc} \\'ea\\'e0\\'e6\\'e4\\'fb\\'e9 "
             "\\'e4\\'e5\\'ed\\'fc, Fungicide Topaz.\\par}");
    pf.write(u8("MyPlants/Roses/Tea/care.rtf"), rtfPage("Срезать ёлочкой."));
    pf.write(u8("MyPlants/Roses/Tea/diary.rtf"), "");
    pf.writeRecord(u8("MyPlants/Roses/Climbers/plant.ini"), u8("[Main]\nCond=1\n"));
    pf.writeRecord(u8("MyPlants/Roses/Climbers/Rambler/plant.ini"), u8("[Main]\nCond=5\n"));
    pf.write(u8("MyPlants/Roses/Climbers/Rambler/description.rtf"), rtfPage("Rambler"));
    pf.write(u8("MyPlants/Roses/Climbers/Rambler/p1.jpg"), "\xff\xd8\xff\xd9");
    pf.writeRecord(u8("MyPlants/Roses/Climbers/Rambler/p1.jpg.txt"), u8("Пятна на листьях"));
    pf.writeRecord(u8("MyPlants/Cacti/Aloe/plant.ini"), u8("[Main]\nCond=0\n"));
    pf.write(u8("MyPlants/Cacti/Aloe/care.rtf"), rtfPage("Много полива летом."));
    pf.write(u8("MyPlants/Cacti/!deleted_Old_12/description.rtf"), rtfPage("поливать пятна"));
    pf.writeRecord(u8("MyPlants/Cacti/!deleted_Old_12/plant.ini"), u8("[Main]\nCond=0\n"));
    pf.write(u8("MyPlants/Cacti/!Shablon/care.rtf"), rtfPage("поливать по шаблону"));
    pf.writeRecord(u8("MyPlants/!Notes/group.ini"), u8("[Group]\nColor=10484657\nImageIndex=1\n"));
    pf.write(u8("MyPlants/!Notes/Main/description.rtf"), rtfPage("Купить удобрение, поливать реже"));
    pf.writeRecord(u8("main.ini"), u8("[Options]\nLastGroup=Roses\n"));
}
