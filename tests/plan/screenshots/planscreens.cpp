// Draws the plan preview with the real skin and style for docs/screenshots:
//
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/vexa-plan-screens docs/screenshots
//
// The plan is a sample with the faults a preview marks: a device planned twice, an address planned twice, an
// address already in use, a device that is not listed and values the form refuses. The Chinese pictures take
// their texts straight from translations/zh/*.tsv, before they reach the .ts files.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QTest>
#include <QTranslator>

#include "app/ToolsApplication.h"
#include "plan/PlanPreviewPage.h"

namespace {

VexaTool::plan::PlanDevice device(const char* serial, const char* mac, const char* ipv4) {
    VexaTool::plan::PlanDevice d;
    d.serial = serial;
    d.mac = mac;
    d.ipv4 = ipv4;
    d.httpPort = 80;
    d.rtspPort = 554;
    d.activated = true;
    d.supportsDhcp = true;
    return d;
}

// Translates from the lines "context<TAB>source<TAB>translation" of a .tsv file.
class TsvTranslator : public QTranslator {
public:
    bool loadFolder(const QString& folder) {
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.tsv")}, QDir::Files))
            load(folder + QLatin1Char('/') + name);
        return !m_texts.isEmpty();
    }
    bool load(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const auto unescape = [](QString text) {
            return text.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
                .replace(QStringLiteral("\\t"), QStringLiteral("\t"));
        };
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (parts.size() == 3)
                m_texts.insert(parts[0] + QLatin1Char('\x1f') + unescape(parts[1]), unescape(parts[2]));
        }
        return !m_texts.isEmpty();
    }
    bool isEmpty() const override { return m_texts.isEmpty(); }
    QString translate(const char* context, const char* source, const char* = nullptr, int = -1) const override {
        return m_texts.value(QString::fromUtf8(context) + QLatin1Char('\x1f') + QString::fromUtf8(source));
    }

private:
    QHash<QString, QString> m_texts;
};

bool save(QWidget& window, const QString& path) {
    window.show();
    QTest::qWait(300);
    const QPixmap shot = window.grab();
    const int margin = 24;
    QImage canvas(shot.size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    canvas.fill(QColor(0xE9, 0xEC, 0xF1));
    QPainter painter(&canvas);
    painter.drawPixmap(margin, margin, shot);
    painter.end();
    window.hide();
    const bool ok = canvas.save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    apt::ToolsApplication app(QStringLiteral("vexa-plan-screens-%1").arg(QCoreApplication::applicationPid()), argc,
                              argv);
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

    const std::vector<VexaTool::plan::PlanDevice> devices = {
        device("VXIPC0410000001", "02-56-21-00-00-01", "127.37.0.11"),
        device("VXIPC0410000002", "02-56-21-00-00-02", "127.37.0.12"),
        device("VXIPC0410000003", "02-56-21-00-00-03", "127.37.0.13"),
        device("VXIPC0410000004", "02-56-21-00-00-04", "127.37.0.14"),
        device("VXNVR0800000005", "02-56-21-00-00-05", "127.37.0.15"),
        device("VXIPC0410000006", "02-56-21-00-00-06", "127.37.2.40"),
    };
    const auto plan = VexaTool::plan::DeploymentPlan::parse(
        "Serial Number,MAC,IP Address,Subnet Mask,Gateway,Device Name,Port,DHCP\r\n"
        "VXIPC0410000001,,127.37.2.11,255.255.255.0,127.37.2.254,Lobby north,,no\r\n"
        "VXIPC0410000002,,127.37.2.12,255.255.255.0,127.37.2.254,Lobby south,,no\r\n"
        ",02-56-21-00-00-03,127.37.2.12,255.255.255.0,127.37.2.254,\"Gate, east\",,no\r\n"
        "VXIPC0410000004,,127.37.2.40,255.255.255.0,127.37.2.254,Yard,1999,no\r\n"
        "VXNVR0800000005,,127.37.2.50,255.255.255.255,127.37.2.254,Recorder,8000,no\r\n"
        "VXIPC0410000001,,127.37.2.51,255.255.255.0,127.37.2.254,Stairs,,no\r\n"
        "VXIPC0410000099,,127.37.2.52,255.255.255.0,127.37.2.254,Roof,,no\r\n");
    const auto check = VexaTool::plan::validatePlan(plan, devices);

    const auto cleanPlan = VexaTool::plan::DeploymentPlan::parse(
        "Serial Number,IP Address,Subnet Mask,Gateway,Device Name\r\n"
        "VXIPC0410000001,127.37.2.11,255.255.255.0,127.37.2.254,Lobby north\r\n"
        "VXIPC0410000002,127.37.2.12,255.255.255.0,127.37.2.254,Lobby south\r\n"
        "VXIPC0410000003,127.37.2.13,255.255.255.0,127.37.2.254,\"Gate, east\"\r\n");
    const QString file = QStringLiteral("/home/installer/site-b/cameras.csv");
    bool ok = true;
    TsvTranslator chinese;
    const QString tsv = qEnvironmentVariable("VEXA_SOURCE_DIR", QStringLiteral(VEXA_DEFAULT_SOURCE_DIR)) +
                        QStringLiteral("/translations/zh");
    for (const bool zh : {false, true}) {
        if (zh && (!chinese.loadFolder(tsv) || !QCoreApplication::installTranslator(&chinese)))
            return 1;
        const QString prefix = out + (zh ? QStringLiteral("/zh_") : QStringLiteral("/en_"));
        VexaTool::PlanPreviewPage page;
        page.resize(1180, 420);
        page.setPlan(file, plan, check, devices);
        ok &= save(page, prefix + QStringLiteral("plan_preview.png"));
        page.resize(1180, 300);
        page.setPlan(file, cleanPlan, VexaTool::plan::validatePlan(cleanPlan, devices), devices);
        ok &= save(page, prefix + QStringLiteral("plan_preview_ready.png"));
    }
    return ok ? 0 : 1;
}
