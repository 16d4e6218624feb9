// VELDLG.LabelStartPosition from JScript: a sheet of 3 x 10 labels.
var s = new ActiveXObject("VELDLG.LabelStartPosition");
s.NumRows = 10;
s.NumColumns = 3;
s.FormCaption = "Start printing at which label?";
s.ShowForm();
if (s.StartColumn == 0)
    WScript.Echo("Closed without a choice");
else
    WScript.Echo("Column " + s.StartColumn + ", row " + s.StartRow);

// The sizes are checked by ShowForm.
try {
    s.NumRows = 0;
    s.ShowForm();
} catch (e) {
    WScript.Echo("Error " + (e.number & 0xFFFF) + ": " + e.description);
}
