// TAboutBox: the modeless About box, created hidden at start and never destroyed.
#pragma once
#include <windows.h>

#include "app/form_base.h"

namespace dodir {

class TAboutBox : public TCustomForm {
public:
    static constexpr int kClientWidth = 448;
    static constexpr int kClientHeight = 364;

    explicit TAboutBox(TApplication& app);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

} // namespace dodir
