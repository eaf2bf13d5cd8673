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

// The first row whose cell of that kind shows text; -1 when none does.
inline int rowWith(const VexaTool::DeviceInfoModel* model, int kind, const QString& text) {
    const int column = model->columnOf(kind);
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->item(row, column)->text() == text)
            return row;
    }
    return -1;
}

// One device of ours for the simulator's --devices file: what the tests tell apart, on one common record.
struct OurDevice {
    QString serial;
    QString mac;
    QString ipv4; // the gateway is .1 of its /24
    QString name;
    QString serviceTag;
    int activation = 0;
    int support = 4;
};

inline QString deviceLine(const OurDevice& d) {
    return QStringLiteral("serial=%1\tmac=%2\tipv4=%3\tmask=255.255.0.0\tgateway=%4\t"
                          "typeCode=4096\tport=8000\tchannels=1\taux=0\tsoftware=V5.7.2\tdsp=V7.3\tbootTime=2024-08-18 "
                          "21:37:12\ttypeName=VX-IPC-B120\toemInfo=Fynmar_quelbrok\tipv6=\tipv6Gateway=\tipv6Prefix=0\t"
                          "support=%5\tdhcp=0\tcapability=2\thttpPort=80\tclass=1\toemCode=1\tactivation=%6\t"
                          "resetFlags=0\tname=%7\tserviceTag=%8\trtspPort=554\n")
        .arg(d.serial, d.mac, d.ipv4, d.ipv4.section(QLatin1Char('.'), 0, 2) + QStringLiteral(".1"))
        .arg(d.support)
        .arg(d.activation)
        .arg(d.name, d.serviceTag);
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
