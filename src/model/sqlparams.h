#pragma once
// Parameter annotations in the SQL of a query component: ":name", optionally followed by
// ":type letter" and ":default". Flushing turns them into stored parameters and strips them.
// Positions count bytes of the UTF-8 text, from 1.
#include "wqftypes.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class TSQLParam {
public:
    int Pos = 0; // the first colon
    int Len = 0; // bytes of the whole annotation
    QString Name; // as written
    QString TypeLetter; // upper-cased; empty without a type
    QString Default; // as written, before unquoting; empty without one
    TWQFParam *Matched = nullptr; // not owned

    // "BOOLEAN", "CURRENCY", "DATETIME", "FLOAT", "INTEGER", else "STRING".
    QString typeName() const;
    // A default enclosed in doubled apostrophes loses both pairs.
    QString unquotedDefault() const;
};

using SQLParamList = std::vector<std::unique_ptr<TSQLParam>>;
using SQLParamRefs = std::vector<TSQLParam *>;

// Makes the stored parameters of item follow the annotations of sql and, with rewrite,
// stores sql without its annotations as the item's query. True when sql refers to at least
// one parameter; false for a missing item.
bool FlushParams(TWQFItem *item, const QString &sql, bool forceCDATA, bool rewrite);

// Appends one occurrence per annotation, in text order. A type is taken only where an ASCII
// letter follows the colon, so casts ("::text"), times ("12:30:00") and other text after a
// name stay as they are; a colon directly after a colon starts no occurrence. An annotation
// that stripping would join with what follows (a name character, or a colon and a letter) is
// not taken: the occurrence is the name alone and the annotation stays as written, so that
// flushing a flushed SQL again changes nothing.
void ParseSqlParams(const QByteArray &sql, SQLParamList &occurrences);
// Sorts both lists by name and pairs each occurrence with at most one stored parameter of
// its name (ignoring case); out receives all occurrences in that order.
void MatchSqlParams(SQLParamList &occurrences, WQFParamList &stored, SQLParamRefs &out);
// Writes type and default into matched parameters that have a default, and adds a
// parameter for each name not matched or added yet.
void UpdateStoredParams(TWQFItem *item, const SQLParamRefs &out);
// The sql with every annotation cut back to its colon and name; sorts occurrences by position.
QByteArray StripParamAnnotations(const QByteArray &sql, SQLParamList &occurrences);

// Orders by name lower-cased (ASCII), in UTF-8 byte order; by position.
int CompareSqlParamNames(const TSQLParam &a, const TSQLParam &b);
int CompareStoredParamNames(const TWQFParam &a, const TWQFParam &b);
int CompareSqlParamPos(const TSQLParam &a, const TSQLParam &b);
