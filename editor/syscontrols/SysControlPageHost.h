// What a system-control page asks of the dialog it sits in. The dialog implements it, so the
// pages need not know the dialog's class.
#pragma once

namespace kfm::syscontrols {

class SysControlPageHost {
public:
    // Refits the canvas after a page changed the control's size.
    virtual void UpdateCanvas() = 0;
    // Shows a size the preview gave the control in the width and height fields, without
    // applying it again.
    virtual void SetSizeFields(int width, int height) = 0;

protected:
    ~SysControlPageHost() = default;
};

} // namespace kfm::syscontrols
