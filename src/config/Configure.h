#pragma once

#include <QString>

namespace apt {

// One setting of Setup.xml: the item's element name and the text of its "Value" child.
class Configure {
public:
    Configure(const QString& name, const QString& value);
    virtual ~Configure();

    QString name() const { return m_name; }
    QString value() const { return m_value; }

private:
    QString m_name;
    QString m_value;
};

} // namespace apt
