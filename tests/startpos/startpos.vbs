' VELDLG.LabelStartPosition from VBScript: the refused sizes, a pick and
' the close box, as a script client meets them.
On Error Resume Next

Set s = CreateObject("VELDLG.LabelStartPosition")
Check "new object: no rows", s.NumRows, 0
Check "new object: no caption", s.FormCaption, ""

s.ShowForm
CheckError "ShowForm on a new object", 1, "Label Start Position", _
    "Properties: ""NumRows"" And ""NumColumns"" require a value greater than 0!"

s.NumRows = 0
s.NumColumns = 11
s.ShowForm
CheckError "no rows and too many columns", 1, "Label Start Position", _
    "Properties: ""NumRows"" And ""NumColumns"" require a value greater than 0!"

s.NumRows = 21
s.ShowForm
CheckError "too many rows and too many columns", 2, "Label Start Position", _
    "Property: ""NumRows"" cannot be greater than 20!"

s.NumRows = 20
s.ShowForm
CheckError "too many columns", 3, "Label Start Position", _
    "Property: ""NumColumns"" cannot be greater than 10!"
Check "refused sizes are kept", s.NumRows & " x " & s.NumColumns, "20 x 11"

s.NumRows = 40000
CheckNumber "rows past 16 bits overflow", 6
Check "the overflowing put is not kept", s.NumRows, 20

s.NumRows = 3
s.NumColumns = 2
s.FormCaption = "Start printing at"
Robot """click:2, 3"""
s.ShowForm
CheckNumber "ShowForm with a click", 0
Check "column picked", s.StartColumn, 2
Check "row picked", s.StartRow, 3
Check "column is an Integer", VarType(s.StartColumn), vbInteger

Robot "close"
s.ShowForm
CheckNumber "ShowForm ended by the close box", 0
Check "the close box picks nothing", s.StartColumn & ", " & s.StartRow, "0, 0"

Done
