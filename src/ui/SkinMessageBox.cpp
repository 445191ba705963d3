#include "ui/SkinMessageBox.h"

#include "res/ArtworkCatalog.h"
#include "ui/CSkinDialog.h"
#include "ui/CSkinMessageBox.h"
#include "ui/SkinMessageBoxData.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The frames of the boxes open now, in opening order.
std::vector<CSkinDialog*>& OpenBoxes() {
    static std::vector<CSkinDialog*> boxes;
    return boxes;
}

}  // namespace

MessageBoxAnswer ShowSkinMessageBox(const std::string& text,
                                    const QRect* centreOn,
                                    const std::string& firstButtonText,
                                    const std::string& secondButtonText,
                                    ButtonEmphasis emphasis,
                                    QWidget* parent,
                                    MessageBoxStyle style) {
    auto content = std::make_unique<CSkinMessageBox>();
    content->SetData(std::make_unique<SkinMessageBoxData>(text, style, firstButtonText, secondButtonText, emphasis));

    for (CSkinDialog* open : OpenBoxes()) {
        open->hide();
        open->Content()->hide();
    }

    std::optional<QRect> area;
    if (centreOn)
        area = *centreOn;
    CSkinDialog frame(artwork::kMessageFrame, parent, std::move(content), area);
    frame.Initialized = true;
    OpenBoxes().push_back(&frame);
    frame.InitDialog();
    const MessageBoxAnswer answer = frame.RunModal() == static_cast<int>(MessageBoxAnswer::First)
                                        ? MessageBoxAnswer::First
                                        : MessageBoxAnswer::Second;

    auto& boxes = OpenBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), &frame), boxes.end());
    for (CSkinDialog* open : boxes) {
        open->show();
        open->Content()->show();
    }
    return answer;
}
