#pragma once

#include <QObject>
#include <QStandardItem>
#include <QStringList>

#include "devicelist/DeviceInfoModel.h"

// What the end-to-end tests do to the program the way a user would: find a widget by its object name, tick rows.
namespace e2e {

// The child of that object name; the test cannot go on without it.
template <typename T>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (found == nullptr)
        qFatal("no widget %s", name);
    return found;
}

// Ticks exactly the rows of these serial numbers, as clicks on their check boxes would.
inline void tickOnly(VexaTool::DeviceInfoModel* model, const QStringList& serials) {
    const int check = model->columnOf(VexaTool::DeviceInfoModel::KindCheck);
    const int serialColumn = model->columnOf(VexaTool::DeviceInfoModel::KindSerialNumber);
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool wanted = serials.contains(model->item(row, serialColumn)->text());
        QStandardItem* item = model->item(row, check);
        if ((item->checkState() == Qt::Checked) != wanted)
            item->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
    }
}

} // namespace e2e
