#pragma once
// The help window: Korvane's HTML help pages, opened at a dialog's key
// ("dlg_QUIT", ...) or at the index.

#include <string>

#include <QTextBrowser>

namespace korvane::gui {

class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    HelpWindow();
    // An empty key opens the index.
    void open_at(const std::string& key);
    QString current_anchor() const { return anchor_; }

private:
    QString anchor_;
};

}  // namespace korvane::gui
