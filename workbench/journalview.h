#pragma once

#include <QWidget>

class Journal;
class JournalModel;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

// Every journal line with its device time and motor, newest at the bottom,
// with a filter, clear and save to a text file.
class JournalView : public QWidget
{
    Q_OBJECT

public:
    explicit JournalView(QWidget* parent = nullptr);
    ~JournalView() override;

    void setJournal(Journal* journal);
    void setFilter(const QString& text);
    // Forgets the lines shown so far (the module keeps its journal).
    void clear();
    // Writes the lines the filter lets through, one a line.
    bool saveTo(const QString& path, QString* error) const;
    void focusFilter();
    // Asks for a file and saves the lines shown to it.
    void saveAs();

    int totalLines() const;
    QStringList visibleLines() const;

private:
    void updateCount();

    JournalModel* m_model = nullptr;
    QSortFilterProxyModel* m_filtered = nullptr;
    QLineEdit* m_filter = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_count = nullptr;
    bool m_following = true;
};
