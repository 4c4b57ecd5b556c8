#pragma once
// One open connection to the test database that judges statements without running them.
#include "sqlshape.h"

#include <QString>

class Judge {
public:
    virtual ~Judge() = default;
    // How the database reads comments and quotes.
    virtual SqlDialect dialect() const = 0;
    // Empty when the database accepts the statement, otherwise why not, on one line. The
    // shape is the statement's, never empty.
    virtual QString verdict(const QString &statement, const SqlShape &shape) = 0;
};
