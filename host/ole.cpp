#include "host/ole.h"

#include "host/error.h"

namespace veldlg {

void Variant::Assign(const VARIANT& o)
{
    VARIANT copy;
    VariantInit(&copy);
    // A client's by-reference variant points into its own storage: keep the
    // value, never the reference.
    ThrowIfFailed(VariantCopyInd(&copy, const_cast<VARIANT*>(&o)));
    VariantClear(&v_);
    v_ = copy;
}

void Variant::CopyTo(VARIANT& out) const
{
    VariantInit(&out);
    ThrowIfFailed(VariantCopy(&out, const_cast<VARIANT*>(&v_)));
}

} // namespace veldlg
