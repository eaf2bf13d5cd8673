#pragma once

#include <QHash>
#include <QLineEdit>

class QLabel;

namespace aptui {

// A line edit with a named state that the style sheet shows through the `state` property
// (aptui--MultiStateLineEdit[state="Error"] and so on).
class MultiStateLineEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString state READ state WRITE setState NOTIFY stateChanged)

public:
    enum State { ERROR = 1, TIP = 2, NORMAL = 3 };
    Q_ENUM(State)

    explicit MultiStateLineEdit(QWidget* parent = nullptr);

    QString state() const;
    State lineEditState() const { return m_state; }
    // Sets the state by name or number ("tip", "2", ...), case-insensitively; anything else means ERROR.
    // Does not re-style the widget; setLineEditState does.
    void setState(const QString& state);

    static QString stateName(State state);

    // Back to NORMAL, with the hint that explained the mark (if any) emptied: the user is correcting the field.
    void clearMark(QLabel* hint = nullptr);

signals:
    void stateChanged(QString _state);

public slots:
    void setLineEditState(aptui::MultiStateLineEdit::State state);

private:
    State m_state = NORMAL;
    QHash<QString, State> m_states;
};

} // namespace aptui
