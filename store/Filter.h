#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace store {

// A filter expression over the rows a data set already holds, such as
// "A13=61 and a10 like '3*' and f1<>1". Comparisons follow SQL's null rules: a comparison with a null
// is unknown, and a row passes only when the whole expression is true. Texts compare without regard
// to letter case; a text that reads as a number compares as a number with a number.
class Filter {
public:
    // Throws DbError on a malformed expression.
    explicit Filter(const QString& expression);
    ~Filter();
    Filter(Filter&&) noexcept;
    Filter& operator=(Filter&&) noexcept;

    // field(name) gives the row's value, or throws when there is no such column.
    bool accepts(const std::function<QVariant(const QString&)>& field) const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};

// -1, 0, 1 as a sorts before, with or after b; nulls first, numbers by value, texts ignoring case.
int compareValues(const QVariant& a, const QVariant& b);

} // namespace store
