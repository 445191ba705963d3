#pragma once

#include "controller/CMainForegroundDialog.h"

#include <QFont>

#include <map>
#include <string>

class CSkinButton;

// The foreground window the launcher shows: the edition's look over the band of the background
// artwork it covers (design rows 103 to 350), buttons to minimise, close (with the quit question)
// and open the news page, and the game start with the launch parameters.
class CTolmMainForegroundDialog : public CMainForegroundDialog {
    Q_OBJECT

public:
    explicit CTolmMainForegroundDialog(QWidget* parent);
    ~CTolmMainForegroundDialog() override;

    // Login values handed to the game under "auth_key", "uid" and "extraInfo"; nothing in the
    // launcher fills them, so the game receives empty values unless an embedder does.
    std::map<std::string, std::string> loginData;

    // The visible and clickable band of the window, in its own coordinates, at GetUiScale or at
    // `scale`.
    static QRect Band();
    static QRect Band(float scale);

    // Where the stage label stands for `text` drawn in `font` at `scale`: one line at its place
    // right of the bar (top at design row 323), from a small gap after the status line's end to
    // the frame's inner edge; a longer text wraps upward, its first line rising, so nothing is cut.
    static QRect StageLabelPlace(const std::string& text, const QFont& font, float scale);
    // Where the status line stands for `text` in `font` at `scale`: over the bar's right part,
    // right-aligned to the bar's end; a line longer than the bar reaches further left.
    static QRect StatusLabelPlace(const std::string& text, const QFont& font, float scale);

    CCustomLabel* SloganLabel() const { return slogan_; }
    CSkinButton* MinimizeButton() const { return minimize_; }
    CSkinButton* CloseButton() const { return close_; }
    CSkinButton* NewsButton() const { return news_; }
    CSkinButton* SpareButton() const { return spare_; }

    // The launch parameters as StartGame hands them to the game.
    std::string BuildLaunchParameters();

    void SetBackgroundImage(const QImage& image) override;

protected:
    void OnInitDialog() override;
    void LayoutControls() override;
    // The background hands this window the artwork it covers; there is nothing to load.
    void LoadWindowImage() override;
    void FitLineLabels() override;
    void StartGame() override;

private:
    void ShapeToBand();

    CCustomLabel* slogan_;
    CSkinButton* minimize_;
    CSkinButton* close_;
    CSkinButton* news_;
    CSkinButton* spare_;
};
