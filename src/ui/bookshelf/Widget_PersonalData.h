#pragma once

#include <QWidget>

class QWebEngineView;

// The author's writing statistics: a local page of the program folder in a
// web view, fed the statistics as a JSON object through its getDataFromQt.
class Widget_PersonalData : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_PersonalData(QWidget* parent = nullptr);

    // Loads the page with the theme when the theme changed (the data follow
    // when it has loaded), otherwise hands the data to the loaded page.
    void loadPersionData(const QString& url, int theme, const QString& data);
    QWebEngineView* view() const { return m_view; }

public slots:
    void onLoadFinished(bool result);

private:
    int m_theme = -1;
    QString m_data;
    QWebEngineView* m_view;
};
