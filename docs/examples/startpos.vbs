' VELDLG.LabelStartPosition from VBScript: a sheet of 3 x 10 labels.
Set s = CreateObject("VELDLG.LabelStartPosition")
s.NumRows = 10
s.NumColumns = 3
s.FormCaption = "Start printing at which label?"
s.ShowForm
If s.StartColumn = 0 Then
    WScript.Echo "Closed without a choice"
Else
    WScript.Echo "Column " & s.StartColumn & ", row " & s.StartRow
End If

' The sizes are checked by ShowForm.
On Error Resume Next
s.NumColumns = 11
s.ShowForm
WScript.Echo "Error " & Err.Number & " (" & Err.Source & "): " & Err.Description
