#pragma once

#include "params/Placeholders.h"
#include "source/SectionTimes.h"

#include <QList>
#include <QMainWindow>
#include <QStringList>
#include <memory>

class QLineEdit;
class TEdit;
class TMediaPlayer2;

namespace Ui {
class TForm1;
}

// The main window. Its handlers belong to many parts of the program: each is defined in the gui folder
// of the part that owns it (the frame's own events and the help in app/, ENCODE in params/, the
// settings in settings/, source, preview and selection in source/).
//
// The controls keep the layout's names (forms/Unit1.ui). Those named by number are:
//   SpeedButton3, SpeedButton1   browse for a source file, for a source folder
//   SpeedButton4, SpeedButton2   browse for an output file, for an output folder
//   Panel2        where the Source Preview docks, right of the source and output boxes
//   Memo2         hidden: the template launch.bat is written from when it is missing
//   Bevel2        the line at the top of the "More Options" panel
//   PageControl1  the panel's tabs: TabSheet1 "Video", TabSheet3 "Audio", TabSheet2 "Selection"
//   CheckBox1     "Deinterlace": turns the deinterlace method list on (Video tab)
//   Image1        the picture the four clipping margins sit around (Video tab)
//   UpDown1 .. UpDown4  the spinners of the left, top, right and bottom clipping margins
//   Panel1        the frame around the encoding mode, bit rate, buffer and quality (Video tab)
//   Label10       the quality bar's value: "(default)" or a percentage
//   CheckBox2     "Encode specific section": turns the section boxes and bars on (Selection tab)
//   Memo1         the source's media information, right of the tabs
//   Label1 .. Label19  captions: Label1 source, Label2 output, Label3 presets, Label5 the advice
//                 above the presets, Label6 media information; on the Video tab Label7 preprocessing,
//                 Label11 deinterlace method, Label8 output settings, Label12 encoding mode, Label13
//                 bit rate, Label14 buffer, Label9 quality, Label15 key frame distance, Label16 frame
//                 rate; Label4 audio bit rate; on the Selection tab Label17 start, Label18 end,
//                 Label19 seconds
//   MainMenu1     the menu bar, with the menus File1, Utilities1 and Help1
//   Open1, SelectOutput1, Exit1  File: "Open Source...", "Select Output...", "Exit"
//   View1, Viewsourceinfo1, Options1  Utilities: the Parameter Builder, the utility's report on the
//                 source, the Options dialog
//   FloatablePreviewWindow1  hidden, Ctrl+F: checked, the player sits in the Source Preview window,
//                 which docks and floats; unchecked, straight in Panel2, the window hidden
//   WindowsMediaEncodingUtilHelp1, About1  Help: the utility's help file, the About box
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
    void FilesDropped(QWidget *onto, const QStringList &paths);

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

    void TakeFileDrops();
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
