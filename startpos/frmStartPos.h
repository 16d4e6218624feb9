#pragma once
// The label start position picker: one button per label of the sheet,
// NumColumns across and NumRows down, built afresh at every load from the
// designed element 1 of cmdStartPos.

#include "host/controls.h"
#include "host/form.h"
#include "host/integer.h"

#include <string>
#include <string_view>

class frmStartPos final : public host::Form {
public:
    using Integer = host::Integer;

    frmStartPos();

    Integer NumRows() const { return NumRows_; }
    void NumRows(Integer iNewValue) noexcept { NumRows_ = iNewValue; }
    Integer NumColumns() const { return NumColumns_; }
    void NumColumns(Integer iNewValue) noexcept { NumColumns_ = iNewValue; }
    Integer StartColumn() const { return StartColumn_; }
    void StartColumn(Integer iNewValue) noexcept { StartColumn_ = iNewValue; }
    Integer StartRow() const { return StartRow_; }
    void StartRow(Integer iNewValue) noexcept { StartRow_ = iNewValue; }
    const std::wstring& FormCaption() const { return FormCaption_; }
    void FormCaption(std::wstring sNewValue) noexcept { FormCaption_ = std::move(sNewValue); }

    host::ControlArray<host::CommandButton> cmdStartPos;

protected:
    void Form_Load() override;

private:
    void cmdStartPos_Click(Integer Index);

    Integer NumRows_;
    Integer NumColumns_;
    Integer StartColumn_;
    Integer StartRow_;
    std::wstring FormCaption_;
};
