#include "config/Configure.h"

namespace apt {

Configure::Configure(const QString& name, const QString& value)
    : m_name(name)
    , m_value(value) {}

Configure::~Configure() = default;

} // namespace apt
