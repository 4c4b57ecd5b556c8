#include "searchwindow.h"

QString &LastSearch()
{
    static QString text;
    return text;
}
