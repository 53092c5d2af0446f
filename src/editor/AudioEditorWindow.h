#pragma once

#include "AudioEditorPresenter.h"
#include "DeviceConfiguration.h"
#include "InputRowEditors.h"
#include "ProjectStore.h"

#include <QDialog>

class ClipPlayer;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QScrollArea;
class QSlider;
class QStatusBar;
class QTableWidget;
class QToolButton;
class StatusGauge;
class UnitSession;

// The audio editor window: alarm projects, clips and the alarm table, on the PC or on the
// unit. Opened modally by the monitor window. Its controls are built when it is first
// shown: most runs never open it.
class AudioEditorWindow : public QDialog, public AudioEditorView {
    Q_OBJECT
public:
    AudioEditorWindow(UnitSession &session, Dialogs &dialogs, ClipPlayer &player, QWidget *parent = nullptr);
    ~AudioEditorWindow() override;

    // AudioEditorView
    void showStatusText(const QString &text) override;
    void appendLog(const QStringList &lines) override;
    void endProgress(bool complete) override;

    void setVisible(bool visible) override;
    // Before the window or the program closes: a project changed since it was last loaded
    // or saved is offered for saving. False when the user stays, or the save failed.
    bool mayLeave();

signals:
    // The volume slider moved, and was released: the monitor window sends the volume.
    void volumeMoved(int position);
    void volumeReleased();

public slots:
    void showVolumePosition(int position);
    void onProjectJobSelected();
    void onDeviceJobSelected();
    void onWriteDeviceClicked();
    void onReadDeviceClicked();
    void onLoadProjectClicked();
    void onSaveProjectClicked();
    void onGridDoubleClicked(int tableRow, int column);
    void onDeleteAudioClicked();
    void onPlayClicked();
    void onStopClicked();
    void onChannelTestClicked();
    void onStopTestClicked();
    void onModeChosen();
    void onVolumeMoved(int position);
    void onWorkFolderCheckClicked();
    // Enter or F2 on the clip grid.
    void onAddClipKey();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void createControls();
    QWidget *createJobBlock();
    QWidget *createAudioBlock();
    QWidget *createAlarmBlock();
    // Tab walks the controls as they are laid out: left column top to bottom, then the
    // alarm block's top line and its rows.
    void setTabOrderByLayout();
    // The designed size where the screen has room for it; else the screen's available area,
    // the content scrolling inside.
    void fitToScreen();
    void switchJob(EditorJob job);
    void enterDeviceJob();
    void setJobControls(EditorJob job);
    // The outcome's texts, and the rows and grid when it applied the table.
    void showOutcome(const EditorOutcome &outcome);
    void showAudioList();
    void rebuildClipSelectors();
    void applyTable(const AppliedTable &applied);
    void showMode(int mode);
    void applyInputLayout(int mode);
    void showActiveDir();
    int alarmMode() const;
    int currentClipNumber() const;

    UnitSession &session_;
    ClipPlayer &player_;
    AudioEditorPresenter presenter_;
    ProjectStore store_;
    DeviceConfiguration device_;

    QRadioButton *projectJobRadio_ = nullptr;
    QRadioButton *deviceJobRadio_ = nullptr;
    QToolButton *writeDeviceButton_ = nullptr;
    QToolButton *readDeviceButton_ = nullptr;
    QSlider *volumeSlider_ = nullptr;
    QLabel *volumeLabel_ = nullptr;
    QLabel *activeDirLabel_ = nullptr;
    QToolButton *loadProjectButton_ = nullptr;
    QToolButton *saveProjectButton_ = nullptr;
    QTableWidget *grid_ = nullptr;
    QToolButton *playButton_ = nullptr;
    QToolButton *stopButton_ = nullptr;
    QToolButton *deleteButton_ = nullptr;
    QRadioButton *playSourceRadio_ = nullptr;
    QRadioButton *playProjectRadio_ = nullptr;
    QRadioButton *playDeviceRadio_ = nullptr;
    QComboBox *modeSelector_ = nullptr;
    QGroupBox *firstGroup_ = nullptr;
    QGroupBox *binaryGroup_ = nullptr;
    QScrollArea *scrollBox_ = nullptr;
    int wheelRemainder_ = 0;
    QComboBox *testInputSelector_ = nullptr;
    QToolButton *channelTestButton_ = nullptr;
    QToolButton *stopTestButton_ = nullptr;
    QStatusBar *statusBar_ = nullptr;
    QLabel *statusText_ = nullptr;
    StatusGauge *gauge_ = nullptr;
    QPlainTextEdit *log_ = nullptr;
    InputRowEditors rows_;
};
