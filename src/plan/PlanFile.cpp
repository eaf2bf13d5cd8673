#include "PlanFile.h"

#include <QFile>

namespace VexaTool {

plan::DeploymentPlan PlanFile::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return plan::DeploymentPlan::parse({});
    }
    // One byte more than allowed is enough to know the file is too large, without reading all of it.
    const QByteArray data = file.read(static_cast<qint64>(plan::DeploymentPlan::maxFileSize) + 1);
    return plan::DeploymentPlan::parse(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
}

} // namespace VexaTool
