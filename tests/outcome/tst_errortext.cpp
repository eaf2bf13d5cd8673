#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "outcome/ErrorText.h"

using VexaTool::ErrorText;
using Form = VexaTool::ErrorText::Form;

// Every code the library can report has words, and the texts the installers know stay exactly as they were.
class TestErrorText : public QObject {
    Q_OBJECT

private slots:
    void everyLibraryCodeHasItsOwnSentence();
    void unknownCodeKeepsItsNumber();
    void operationTexts_data();
    void operationTexts();
    void successReadsBackAsSuccess_data();
    void successReadsBackAsSuccess();
};

void TestErrorText::everyLibraryCodeHasItsOwnSentence() {
    QFile header(qEnvironmentVariable("VEXA_SOURCE_DIR") + u"/libvexa/include/vexa.h"_qs);
    QVERIFY2(header.open(QIODevice::ReadOnly), qPrintable(header.fileName()));
    const QString text = QString::fromUtf8(header.readAll());
    QRegularExpression define(u"#define VEXA_(?:ERR_\\w+|NOERROR)\\s+(\\d+)"_qs);
    QSet<QString> sentences;
    int codes = 0;
    for (auto it = define.globalMatch(text); it.hasNext();) {
        const uint32_t code = it.next().captured(1).toUInt();
        ++codes;
        QVERIFY2(ErrorText::isKnown(code), qPrintable(QString::number(code)));
        const QString sentence = ErrorText::sentence(code);
        QVERIFY(!sentence.contains(QString::number(code)));
        sentences.insert(sentence);
        QCOMPARE(ErrorText::withCode(code), u"Error%1:%2"_qs.arg(code).arg(sentence));
    }
    QVERIFY(codes >= 15);
    QCOMPARE(sentences.size(), codes); // no two codes read alike
}

void TestErrorText::unknownCodeKeepsItsNumber() {
    QVERIFY(!ErrorText::isKnown(2999));
    QVERIFY(ErrorText::sentence(2999).contains(u"2999"_qs));
    QCOMPARE(ErrorText::text(Form::BatchModification, 2999), u"Error2999:others"_qs);
    QCOMPARE(ErrorText::text(Form::SingleActivation, 2999), u"Error2999:others"_qs);
    QCOMPARE(ErrorText::text(Form::PlanResult, 2999), u"Error2999:others"_qs);
}

void TestErrorText::operationTexts_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("singleActivation");
    QTest::addColumn<QString>("batchActivation");
    QTest::addColumn<QString>("singleModification");
    QTest::addColumn<QString>("batchModification");
    QTest::addColumn<QString>("planResult");
    QTest::newRow("success") << 0u << u"Activate Succeed."_qs << u"Succeed"_qs
                             << u"Modify network parameters succeed."_qs << u"Succeed"_qs << u"Succeed"_qs;
    QTest::newRow("2009") << 2009u << u"Device deny."_qs << u"Error2009:Device deny."_qs << u"Device deny."_qs
                          << u"Error2009:device deny"_qs << u"Error2009:device deny"_qs;
    QTest::newRow("2011") << 2011u << u"Time out."_qs << u"Error2011:others"_qs << u"Time out."_qs
                          << u"Error2011:time out"_qs << u"Error2011:time out"_qs;
    QTest::newRow("2021") << 2021u << u"Error2021:others"_qs << u"Error2021:reactive"_qs
                          << u"Error2021:The device is already activated."_qs
                          << u"Error2021:The device is already activated."_qs << u"Error2021:others"_qs;
    const QString locked = u"Error2012:"_qs + ErrorText::sentence(2012);
    QTest::newRow("2012 locked") << 2012u << locked << locked << locked << locked << u"Error2012:others"_qs;
    const QString weak = u"Error2013:"_qs + ErrorText::sentence(2013);
    QTest::newRow("2013 weak") << 2013u << weak << weak << weak << weak << u"Error2013:others"_qs;
    const QString gone = u"Error2004:"_qs + ErrorText::sentence(2004);
    QTest::newRow("2004 unknown device") << 2004u << gone << gone << gone << gone << u"Error2004:others"_qs;
}

void TestErrorText::operationTexts() {
    QFETCH(uint, code);
    QFETCH(QString, singleActivation);
    QFETCH(QString, batchActivation);
    QFETCH(QString, singleModification);
    QFETCH(QString, batchModification);
    QFETCH(QString, planResult);
    QCOMPARE(ErrorText::text(Form::SingleActivation, code), singleActivation);
    QCOMPARE(ErrorText::text(Form::BatchActivation, code), batchActivation);
    QCOMPARE(ErrorText::text(Form::SingleModification, code), singleModification);
    QCOMPARE(ErrorText::text(Form::BatchModification, code), batchModification);
    QCOMPARE(ErrorText::text(Form::PlanResult, code), planResult);
}

// A person tells a success from a failure by its words: no failure may read as one.
void TestErrorText::successReadsBackAsSuccess_data() {
    QTest::addColumn<int>("form");
    QTest::newRow("batch activation") << int(Form::BatchActivation);
    QTest::newRow("batch modification") << int(Form::BatchModification);
    QTest::newRow("plan") << int(Form::PlanResult);
}

void TestErrorText::successReadsBackAsSuccess() {
    QFETCH(int, form);
    const QString success = ErrorText::text(Form(form), 0);
    QCOMPARE(success, ErrorText::sentence(0));
    for (uint32_t code : {1u, 2001u, 2009u, 2011u, 2012u, 2019u, 2021u, 2033u, 2999u})
        QVERIFY2(ErrorText::text(Form(form), code) != success, qPrintable(QString::number(code)));
}

QTEST_GUILESS_MAIN(TestErrorText)
#include "tst_errortext.moc"
