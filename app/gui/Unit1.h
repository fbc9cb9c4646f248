#pragma once

#include "params/Placeholders.h"
#include "source/SectionTimes.h"

#include <QList>
#include <QMainWindow>
#include <memory>

class QLineEdit;
class TEdit;
class TMediaPlayer2;

namespace Ui {
class TForm1;
}

// The main window. Its handlers belong to many parts of the program: each is defined in the folder of
// the part that owns it (the frame's own events in app/, ENCODE in params/, the settings in settings/,
// source, preview and selection in source/).
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The -profile value of the selected preset and the -a_setting code of the selected audio row.
    QString PresetProfileName() const;
    QString AudioSettingName() const;
    // The -v_framerate value of the frame-rate box: a row's value, or the text typed into it.
    QString FramerateValue() const;

    // What the player learnt of a newly opened file: the media information, the section reset to the
    // whole length, and the picture size in the size boxes.
    void ShowNewStream(const TMediaPlayer2 &player);

public slots:
    // The frame (app/).
    void ButtonMoreClick();
    void Exit1Click();
    void WindowsMediaEncodingUtilHelp1Click();
    void About1Click();

    // The launch (params/).
    void EncodeButtonClick();
    void View1Click();

    // Source and output paths (source/).
    void EditInputChange();
    void EditOutputChange();
    void EditInputEnter();
    void EditInputExit();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Open1Click();
    void SelectOutput1Click();

    // Presets and the audio setting (settings/).
    void ComboBoxPresetsChange();
    void ComboBoxAudioBRChange();

    // Video output, deinterlacing and clipping (settings/).
    void ComboBoxModeChange();
    void TrackBarQualityChange();
    void ComboBoxFramerateChange();
    void EditChange();
    void EditClick();
    void EditExit();
    void EditKeyPress(QChar &Key);
    void CheckBox1Click();
    void ComboBoxPreprocChange();
    void EditClipBottomChange();

    // The Options dialog (settings/).
    void Options1Click();

    // The preview (source/).
    void FloatablePreviewWindow1Click();
    void Viewsourceinfo1Click();

    // The section to encode (source/).
    void CheckBox2Click();
    void EditSelStartChange();
    void EditSelEndChange();
    void EditSelStartKeyPress(QChar &Key);
    void EditSelEndKeyPress(QChar &Key);
    void EditSelStartEnter();
    void EditSelEndEnter();
    void EditSelStartExit();
    void EditSelEndExit();
    void TrackBarSelStartChange();
    void TrackBarSelEndChange();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();

    void SetClientHeight(int height);
    bool UtilityPresent() const;

    void ForgetMedia();

    void UseSource();
    void UseSourceFile(const QString &source);
    void UseSourceFolder(const QString &source);
    void EnableBrowseButtons(bool outputFile, bool outputFolder);

    QList<QLineEdit *> NumericBoxes() const;
    void StoreNumericBox(QLineEdit *box);

    struct SectionSide;
    SectionSide StartSide();
    SectionSide EndSide();
    QString SectionTime() const;
    void StoreSection(TEdit *box);
    void HighlightSection();
    void SetPlayRange(bool start, double seconds);
    void PlaySection();
    void SectionKeyPress(const SectionSide &side, QChar &Key);
    std::optional<SectionMedia> SectionSource() const;
    void ApplySectionTime(const SectionSide &side);
    void FollowSectionBar(const SectionSide &side);

    std::unique_ptr<Ui::TForm1> ui;
    bool shown_ = false;
    // The section times last accepted in each box, put back when a typed time is refused.
    QString lastGoodStart_ = DefaultPlaceholder;
    QString lastGoodEnd_ = DefaultPlaceholder;
};
