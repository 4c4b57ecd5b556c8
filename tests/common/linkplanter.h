#pragma once
// Does what another user of a shared temporary folder could do: right after a file is created
// exclusively in the folder, its name is replaced by a link to a file of the victim's. Whatever
// then opens the name instead of using the handle it created writes into the victim's file.
// Works in the test executable itself (it stands in for the system's calls that make a file),
// one at a time, while the object lives.
#include <QByteArray>
#include <QString>

#include <memory>

namespace pellorin_test {

struct Planting;

class LinkPlanter {
public:
    LinkPlanter(const QString &folder, const QString &target);
    ~LinkPlanter();
    LinkPlanter(const LinkPlanter &) = delete;
    LinkPlanter &operator=(const LinkPlanter &) = delete;
    // How many names were replaced so far.
    int planted() const;

private:
    std::unique_ptr<Planting> m_planting;
};

} // namespace pellorin_test
