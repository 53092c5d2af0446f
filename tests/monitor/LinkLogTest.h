#pragma once

#include <QObject>

// The in-memory link log and its viewer.
class LinkLogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void stderrGetsWhatTheRulesLetThrough_data();
    void stderrGetsWhatTheRulesLetThrough();
    void keepsOnlyTheLatestLines();
    void viewerFiltersAndFollows();
    void viewerSavesWhatItShows();
};
