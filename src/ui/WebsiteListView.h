#pragma once

#include <QTableView>

// The website list as the window shows it: the entries in rows under one column header, a
// check box on each, one entry selected at a time, Tab moving on to the next control.
//
// A table view lays out only the rows in sight: every row has the same height, so a row's
// place is a multiplication and a million entries show, change and scroll as fast as ten. (A
// tree view builds an item for every row at every change of the list.) It is set up to look
// and behave as a one-column list with a header: no row numbers, no grid, the header text left
// aligned and not clickable, every row one line of text high, the focus frame around the whole
// row, and at the end of the list the rows aligned to the top.
class WebsiteListView : public QTableView {
    Q_OBJECT

public:
    explicit WebsiteListView(QWidget* parent = nullptr);

    // The column header above the entries.
    QHeaderView* header() const { return horizontalHeader(); }

protected:
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    void fitRowHeightToOneLine();
    bool isScrolledToEnd() const;
};
