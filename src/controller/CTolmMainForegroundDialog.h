#pragma once

#include "controller/CMainForegroundDialog.h"

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

    // The visible and clickable band of the window, in its own coordinates.
    static QRect Band();

    CCustomLabel* SloganLabel() const { return slogan_; }
    CSkinButton* MinimizeButton() const { return minimize_; }
    CSkinButton* CloseButton() const { return close_; }
    CSkinButton* NewsButton() const { return news_; }
    CSkinButton* SpareButton() const { return spare_; }

    // The launch parameters as StartGame hands them to the game.
    std::string BuildLaunchParameters();

protected:
    void OnInitDialog() override;
    void LayoutControls() override;
    // The background hands this window the artwork it covers; there is nothing to load.
    void LoadWindowImage() override;
    void StartGame() override;

private:
    CCustomLabel* slogan_;
    CSkinButton* minimize_;
    CSkinButton* close_;
    CSkinButton* news_;
    CSkinButton* spare_;
};
