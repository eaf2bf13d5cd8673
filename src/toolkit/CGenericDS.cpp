#include "toolkit/CGenericDS.h"

#include <QDomDocument>
#include <QFile>
#include <QRegularExpression>
#include <QStringConverter>
#include <QTextCodec>

namespace OrvisGUIToolkit {

namespace {

// The XML reader of Qt 6 only decodes the Unicode family and Latin-1 itself; settings files written by older
// tools declare GB2312 and similar, which we decode ourselves before parsing.
bool parseBytes(QDomDocument& doc, const QByteArray& bytes) {
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(200)));
    if (match.hasMatch()) {
        const QString encoding = match.captured(1);
        if (!QStringConverter::encodingForName(encoding.toLatin1().constData())) {
            if (QTextCodec* codec = QTextCodec::codecForName(encoding.toLatin1())) {
                return static_cast<bool>(doc.setContent(codec->toUnicode(bytes)));
            }
        }
    }
    return static_cast<bool>(doc.setContent(bytes));
}

} // namespace

CGenericDS::CGenericDS(const QDomElement& element)
    : m_element(element) {}

bool CGenericDS::LoadXML(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QDomDocument doc;
    if (!parseBytes(doc, file.readAll())) {
        return false;
    }
    const QDomElement root = doc.documentElement();
    if (root.isNull()) {
        return false;
    }
    m_element = root;
    return true;
}

int CGenericDS::GetChildrenCount() const {
    int count = 0;
    for (QDomElement e = m_element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        ++count;
    }
    return count;
}

CGenericDS CGenericDS::GetChild(int index) const {
    if (index < 0) {
        return {};
    }
    QDomElement e = m_element.firstChildElement();
    for (int i = 0; i < index && !e.isNull(); ++i) {
        e = e.nextSiblingElement();
    }
    return CGenericDS(e);
}

CGenericDS CGenericDS::GetChildByName(const QString& name) const {
    if (m_element.isNull()) {
        return {};
    }
    return CGenericDS(m_element.firstChildElement(name));
}

QString CGenericDS::GetName() const {
    return m_element.tagName();
}

QString CGenericDS::GetValue() const {
    return m_element.text();
}

} // namespace OrvisGUIToolkit
