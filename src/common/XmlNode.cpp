#include "common/XmlNode.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringConverter>
#include <QTextCodec>

namespace {

const char* const kSaveEncoding = "GB2312";

// The encoding named in the XML declaration, or an empty string.
QByteArray declaredEncoding(const QByteArray& content) {
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(content.left(200)));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

} // namespace

XmlNode::XmlNode(const QDomElement& element, const QDomDocument& document)
    : m_element(element)
    , m_document(document) {}

bool XmlNode::load(const QString& path) {
    if (path.isNull())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QByteArray content = file.readAll();
    file.close();

    m_document = QDomDocument();
    // Qt 6's parser decodes only the Unicode encodings itself; legacy code pages (our own files are
    // GB2312) are decoded here first.
    const QByteArray encoding = declaredEncoding(content);
    QTextCodec* codec = encoding.isEmpty() || QStringConverter::encodingForName(encoding.constData())
                            ? nullptr
                            : QTextCodec::codecForName(encoding);
    const bool parsed =
        codec ? bool(m_document.setContent(codec->toUnicode(content))) : bool(m_document.setContent(content));
    if (!parsed)
        m_document = QDomDocument(); // never half a document
    m_element = m_document.documentElement();
    return true;
}

bool XmlNode::save(const QString& path) const {
    // The declaration is written by hand: Qt's serializer refuses to name an encoding it cannot produce
    // itself, and a declaration naming another encoding would make the saved bytes unreadable.
    QString declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n").arg(QLatin1String(kSaveEncoding));
    QDomDocument document = m_document;
    const QDomNode first = document.firstChild();
    if (first.isProcessingInstruction() && first.nodeName() == QLatin1String("xml")) {
        static const QRegularExpression encoding(QStringLiteral("\\s*encoding\\s*=\\s*[\"'][^\"']*[\"']"));
        QString data = first.toProcessingInstruction().data();
        data.remove(encoding);
        declaration = QStringLiteral("<?xml %1 encoding=\"%2\"?>\n").arg(data.trimmed(), QLatin1String(kSaveEncoding));
        document = m_document.cloneNode(true).toDocument();
        document.removeChild(document.firstChild());
    }

    // Everything is encoded before the file is touched: a text the encoding cannot carry would be saved as
    // question marks, so it fails the save and the previous file stays.
    QTextCodec* codec = QTextCodec::codecForName(kSaveEncoding);
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = declaration + document.toString(0);
    const QByteArray bytes = codec->fromUnicode(text.constData(), static_cast<int>(text.size()), &state);
    if (state.invalidChars != 0 || state.remainingChars != 0)
        return false;

    // Written beside the old file and renamed over it: a crash or a full disk never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int XmlNode::childElementCount() const {
    int count = 0;
    for (QDomElement child = m_element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        ++count;
    return count;
}

XmlNode XmlNode::childElement(int index) const {
    if (m_element.isNull() || index < 0)
        return XmlNode();
    int position = 0;
    for (QDomElement child = m_element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (position++ == index)
            return XmlNode(child, m_document);
    }
    return XmlNode();
}

XmlNode XmlNode::firstElementByTag(const QString& tag) const {
    if (!m_element.hasChildNodes())
        return XmlNode();
    const QDomNodeList matches = m_element.elementsByTagName(tag);
    if (matches.isEmpty())
        return XmlNode();
    return XmlNode(matches.at(0).toElement(), m_document);
}

XmlNode XmlNode::childElement(const QString& tag) const {
    const QDomElement child = m_element.firstChildElement(tag);
    return child.isNull() ? XmlNode() : XmlNode(child, m_document);
}

QString XmlNode::allText() const {
    return m_element.text();
}

QString XmlNode::text() const {
    for (QDomNode child = m_element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText())
            return child.toText().data();
    }
    return QString();
}

QString XmlNode::tagName() const {
    return m_element.tagName();
}

bool XmlNode::setNumber(int value) {
    if (m_element.isNull())
        return false;
    const QString number = QString::number(value);
    for (QDomNode child = m_element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText()) {
            child.toText().setData(number);
            return true;
        }
    }
    m_element.appendChild(m_document.createTextNode(number));
    return true;
}
