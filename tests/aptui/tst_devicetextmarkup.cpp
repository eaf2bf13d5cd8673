#include <QLabel>
#include <QSignalSpy>
#include <QTextDocument>
#include <QtTest>

#include "aptui/BaseDialog.h"
#include "aptui/HintBox.h"
#include "aptui/WarningDialog.h"
#include "discovery/VexaHandler.h"
#include "support/SimulatorProcess.h"

using namespace Qt::StringLiterals;

using aptui::BaseDialog;

// Device names that look like markup, announced by the simulator, heard by the handler and shown by every
// dialog that takes a text: each shows the name as the device sent it.
class TestDeviceTextMarkup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qRegisterMetaType<VEXA_DEVICE_MY_INFO>("VEXA_DEVICE_MY_INFO");
        const QStringList names{u"<b>Gate</b><img src=\"x.png\">"_s, u"Cam & <a href=\"#\">link</a>"_s,
                                u"<h1>Big</h1><br>&amp;"_s, u"Hall <i>2</i> %1 %2"_s};
        testsupport::SimulatorProcess generated;
        QVERIFY(generated.start({u"--count"_s, QString::number(names.size()), u"--seed"_s, u"21"_s}));
        QList<testsupport::DeviceFields> devices = generated.fleet();
        QVERIFY(generated.stop());
        QCOMPARE(devices.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            devices[i][u"name"_s] = names[i];
            devices[i][u"oemInfo"_s] = QString::fromLatin1(VEXA::VexaHandler::kOemInfo);
            devices[i][u"oemCode"_s] = u"1"_s;
        }
        QVERIFY(m_simulator.startWith(devices));

        VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
        QSignalSpy online(handler, &VEXA::VexaHandler::signalDeviceOnline);
        QVERIFY(handler->start());
        QTRY_COMPARE_WITH_TIMEOUT(online.count(), names.size(), 10000);
        for (const QList<QVariant>& arguments : online) {
            m_heard.append(recordText(arguments.at(0).value<VEXA_DEVICE_MY_INFO>().deviceName));
        }
        std::sort(m_heard.begin(), m_heard.end());
        QStringList expected = names;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(m_heard, expected); // the names arrive intact
    }

    void cleanupTestCase() {
        VEXA::VexaHandler::instance()->stop();
        m_simulator.stop();
    }

    void shownAsSent_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("form");
        const char* const forms[] = {"bold template", "sized template", "plain text", "hint box", "warning box"};
        for (const QString& name : std::as_const(m_heard)) {
            for (int form = 0; form < 5; ++form) {
                QTest::addRow("%s: %s", forms[form], qPrintable(name)) << name << form;
            }
        }
    }
    void shownAsSent() {
        QFETCH(QString, name);
        QFETCH(int, form);
        std::unique_ptr<QWidget> box;
        QLabel* label = nullptr;
        if (form <= 2) {
            auto dialog = std::make_unique<BaseDialog>(BaseDialog::Button::Close);
            if (form == 0) {
                dialog->setDefaultText(name, 12, true);
            } else if (form == 1) {
                dialog->setDefaultText(name, 12);
            } else {
                dialog->setDefaultText(name);
            }
            box = std::move(dialog);
            label = box->findChild<QLabel*>(u"m_labelNULL"_s);
        } else if (form == 3) {
            box = std::make_unique<aptui::HintBox>(name, aptui::HintBox::Message);
            label = box->findChild<QLabel*>(u"m_labelNULL"_s);
        } else {
            box = std::make_unique<VexaTool::WarningDialog>(VexaTool::WarningDialog::Error, name, nullptr);
            label = box->findChild<QLabel*>(u"m_labelWarnText"_s);
        }
        QVERIFY(label != nullptr);
        // What the user reads: a rich label's document as plain text, or the plain label's text as it is.
        QString shown = label->text();
        if (label->textFormat() == Qt::RichText) {
            QTextDocument document;
            document.setHtml(label->text());
            shown = document.toPlainText();
        } else {
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        QCOMPARE(shown, name);
    }

private:
    testsupport::SimulatorProcess m_simulator;
    QStringList m_heard;
};

QTEST_MAIN(TestDeviceTextMarkup)
#include "tst_devicetextmarkup.moc"
