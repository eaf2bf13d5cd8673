#pragma once

// A simulated fleet for vexa-devsim --devices: `ours` devices of our OEM customer and `foreign` ones of
// another that the list must not show. Every `sharedEvery`-th device of ours takes the factory address.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testfleet {

inline bool write(const QString& path, int ours, int foreign, int sharedEvery = 0) {
    QByteArray text("# vexa-devsim devices\n");
    for (int i = 0; i < ours + foreign; ++i) {
        const bool mine = i < ours;
        const QByteArray n = QByteArray::number(i);
        const QByteArray address =
            sharedEvery > 0 && mine && i % sharedEvery == 0
                ? QByteArray("127.20.0.64")
                : "127.21." + QByteArray::number(i / 250) + '.' + QByteArray::number(i % 250 + 2);
        text += "serial=VXLIST" + n.rightJustified(8, '0') + "\tmac=02-57-00-" +
                QByteArray::number((i >> 16) & 0xff, 16).rightJustified(2, '0') + '-' +
                QByteArray::number((i >> 8) & 0xff, 16).rightJustified(2, '0') + '-' +
                QByteArray::number(i & 0xff, 16).rightJustified(2, '0') + "\tipv4=" + address +
                "\tmask=255.255.0.0\tgateway=127.20.0.1\ttypeCode=40193\tport=8000\tchannels=1"
                "\tsoftware=V5.6.0 build 230301\tdsp=V7.2 build 230301\tbootTime=2024-05-06 07:08:09"
                "\ttypeName=VX-IPC-B120\toemInfo=" +
                (mine ? QByteArray("Fynmar_quelbrok") : QByteArray("Ostrel_vantage")) +
                "\tsupport=5\tcapability=1\thttpPort=80\tclass=1\toemCode=1\tactivation=" +
                QByteArray(i % 4 == 1 ? "1" : "0") + "\tname=Camera " + n + "\tserviceTag=ST" + n + "\trtspPort=554\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace testfleet
