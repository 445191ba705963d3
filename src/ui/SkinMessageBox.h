#pragma once

#include "ui/MessageBoxStyle.h"

#include <QRect>

#include <string>

class QWidget;

// Shows a skinned message box and waits for the answer: the button pressed (Second when the
// window manager closes the box). The box centres itself on `centreOn` when
// given, else on `parent`'s window, else on the screen; `parent` (may be null) is only used for
// placement and stacking. Boxes already open are hidden while this one is up and come back, where
// they were, when it closes. `style`, the button texts and `emphasis` as for
// CDialogBase::ShowMessage. User-interface thread only; events keep flowing while it waits.
MessageBoxAnswer ShowSkinMessageBox(const std::string& text,
                                    const QRect* centreOn,
                                    const std::string& firstButtonText,
                                    const std::string& secondButtonText,
                                    ButtonEmphasis emphasis,
                                    QWidget* parent,
                                    MessageBoxStyle style);
