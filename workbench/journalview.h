#pragma once

#include <QWidget>

class Journal;
class JournalModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

// Every journal line with its device time and motor, newest at the bottom,
// with a text filter and a motor filter, clear and save to a text file.
class JournalView : public QWidget
{
    Q_OBJECT

public:
    explicit JournalView(QWidget* parent = nullptr);
    ~JournalView() override;

    void setJournal(Journal* journal);
    void setFilter(const QString& text);
    // The motors the motor filter offers: 0 to count - 1.
    void setMotorCount(int count);
    // Shows the lines of `motor` only; -1 shows every motor's.
    void setMotorFilter(int motor);
    int motorFilter() const;
    // Forgets the lines shown so far (the module keeps its journal).
    void clear();
    // Writes the lines the filters let through, one a line.
    bool saveTo(const QString& path, QString* error) const;
    void focusFilter();
    // Asks for a file and saves the lines shown to it.
    void saveAs();

    int totalLines() const;
    QStringList visibleLines() const;

private:
    void applyMotorFilter();
    void updateCount();

    JournalModel* m_model = nullptr;
    QSortFilterProxyModel* m_byMotor = nullptr;
    QSortFilterProxyModel* m_filtered = nullptr; // by motor, then by text
    QLineEdit* m_filter = nullptr;
    QComboBox* m_motors = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_count = nullptr;
    bool m_following = true;
};
