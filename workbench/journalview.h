// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class JournalModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

// Every journal line with its device time and motor, newest at the bottom,
// with a text filter and a motor filter, clear and save to a text file.
class JournalView : public QWidget
{
    Q_OBJECT

public:
    explicit JournalView(JournalModel& model, QWidget* parent = nullptr);
    ~JournalView() override;

    void setFilter(const QString& text);
    // The motors the motor filter offers: 0 to count - 1.
    void setMotorCount(int count);
    int motorFilter() const;
    // Forgets the lines shown so far (the module keeps its journal).
    void clear();
    // Writes every line since the last clear that the filters let through, one a line.
    bool saveTo(const QString& path, QString* error) const;
    void focusFilter();
    // Asks for a file and saves the lines shown to it.
    void saveAs();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyMotorFilter();
    void updateCount();

    JournalModel& m_model;
    QLineEdit* m_filter = nullptr;
    QComboBox* m_motors = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_count = nullptr;
    bool m_following = true;
};
