// Draws the device list with the quick filter in use, with the real skin and style, in English and Chinese:
//
//     xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/vexa-filter-screens docs/screenshots
//
// The Chinese picture takes its texts from translations/zh/*.tsv, before they reach the .ts files.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include "../../devicelist/TestRecords.h"
#include "app/ToolsApplication.h"
#include "devicelist/DeviceDisplayPage.h"
#include "devicelist/DeviceInfoModel.h"
#include "discovery/DeviceStore.h"
#include "plan/DeviceFilterProxyModel.h"

namespace {

class TsvTranslator : public QTranslator {
public:
    bool load(const QString& folder) {
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.tsv")}, QDir::Files)) {
            QFile file(folder + QLatin1Char('/') + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('\t'));
                if (parts.size() == 3)
                    m_texts.insert(parts[0] + QLatin1Char('\x1f') + unescape(parts[1]), unescape(parts[2]));
            }
        }
        return !m_texts.isEmpty();
    }
    bool isEmpty() const override { return m_texts.isEmpty(); }
    QString translate(const char* context, const char* source, const char* = nullptr, int = -1) const override {
        return m_texts.value(QString::fromUtf8(context) + QLatin1Char('\x1f') + QString::fromUtf8(source));
    }

private:
    static QString unescape(QString text) {
        return text.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    }
    QHash<QString, QString> m_texts;
};

void fill(VexaTool::DeviceDisplayPage& page) {
    const char* const models[] = {"VX-IPC-B120", "VX-IPC-D240", "VX-PTZ-Z330", "VX-NVR-N208", "VX-DVR-H104"};
    for (int i = 0; i < 240; ++i) {
        const QByteArray n = QByteArray::number(i);
        auto record =
            testrecords::device("VX" + QByteArray(models[i % 5] + 3).replace('-', "") + "10" + n.rightJustified(9, '0'),
                                "02-56-10-00-" + QByteArray::number((i >> 8) & 0xff, 16).rightJustified(2, '0') + '-' +
                                    QByteArray::number(i & 0xff, 16).rightJustified(2, '0'),
                                "127.16." + QByteArray::number(i / 100) + '.' + QByteArray::number(i % 100 + 2),
                                i % 7 == 5 ? 1 : 0, static_cast<uint8_t>(i % 3));
        setRecordText(record.deviceTypeName, models[i % 5]);
        setRecordText(record.deviceName, (i % 5 >= 3 ? "Recorder " : "Camera ") + n.rightJustified(6, '0'));
        setRecordText(record.ipv4SubnetMask, "255.255.0.0");
        setRecordText(record.ipv4Gateway, "127.16.0.1");
        page.onDeviceLogin(record);
    }
}

} // namespace

int main(int argc, char** argv) {
    apt::ToolsApplication app(QStringLiteral("vexa-filter-screens-%1").arg(QCoreApplication::applicationPid()), argc,
                              argv);
    qRegisterMetaType<ModifyPage>("ModifyPage");
    qRegisterMetaType<QVector<DeviceInfo>>("QVector<DeviceInfo>");
    const QStringList args = QCoreApplication::arguments();
    const QString out = args.size() > 1 ? args.at(1) : QStringLiteral("docs/screenshots");
    const QString bin = qEnvironmentVariable("VEXA_BIN_DIR", QStringLiteral(VEXA_DEFAULT_BIN_DIR));
    QDir().mkpath(out);
    QCoreApplication::addLibraryPath(bin + QStringLiteral("/plugins"));
    QFont font(QStringLiteral("Microsoft YaHei"), 9);
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    QApplication::setFont(font);
    if (!apt::ToolsApplication::loadSkin(bin + QStringLiteral("/plugins/skins/"), QStringLiteral("CommonSkin")))
        return 1;
    app.loadStyle();

    TsvTranslator chinese;
    const QString tsv = qEnvironmentVariable("VEXA_SOURCE_DIR", QStringLiteral(VEXA_DEFAULT_SOURCE_DIR)) +
                        QStringLiteral("/translations/zh");
    bool ok = true;
    for (const bool zh : {false, true}) {
        if (zh && (!chinese.load(tsv) || !QCoreApplication::installTranslator(&chinese)))
            return 1;
        QTemporaryDir dir;
        VEXA::DeviceStore::instance()->clear(); // the store outlives a page: the next one lists them afresh
        VexaTool::DeviceDisplayPage page(nullptr, dir.filePath(QStringLiteral("ColumnConfig.xml")));
        page.setEventSlice(0);
        page.resize(1280, 560);
        fill(page);
        // Recorders on one subnet, two of them ticked: the count says how many of all are shown.
        page.filterEdit()->setText(QStringLiteral("nvr 127.16.1."));
        VexaTool::DeviceFilterProxyModel* shown = page.filterModel();
        const int check = page.model()->columnOf(VexaTool::DeviceInfoModel::KindCheck);
        for (const int row : {0, 2})
            shown->setData(shown->index(row, check), Qt::Checked, Qt::CheckStateRole);
        page.show();
        page.raise();
        QTest::qWait(400);
        const QString path =
            out + (zh ? QStringLiteral("/zh_") : QStringLiteral("/en_")) + QStringLiteral("device_list_filter.png");
        const bool saved = page.grab().save(path);
        std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
        ok &= saved;
    }
    return ok ? 0 : 1;
}
