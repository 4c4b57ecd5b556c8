#pragma once
// The Pascal sources beside the program, and compiler messages about a component's code.
#include <QString>
#include <memory>
#include <vector>

// One source file of the "pascal" folder: a whole unit (".pas") or a fragment (".pascls",
// ".pasfn").
class TUnitFile {
public:
    QString Name; // lower case; a unit without its extension, a fragment with it
    QString Source;
    bool IsFragment = false;
};

using UnitFileList = std::vector<std::unique_ptr<TUnitFile>>;

// The sources last loaded; the list owns them.
UnitFileList &PascalUnits();
// Replaces the list by the sources of dir that are not blank: the units, then the ".pascls"
// and then the ".pasfn" fragments, each group in the sorted order of the folder listing. A
// missing folder gives none; an unreadable file counts as blank.
void LoadUnits(const QString &dir);

// Whether line is a compiler error naming a place: "[Error]", nothing but blanks and control
// characters, "(", the row's digits, and after them the first run of digits as the column.
// Row and col are 0 where no number stands (or it does not fit) and when the line is not of
// that form.
bool ParseErrorLine(const QString &line, int &col, int &row);
