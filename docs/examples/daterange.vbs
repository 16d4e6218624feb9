' VELDLG.DateRange from VBScript: the dates of July 2024, as presets.
Function Iso(d)
    Iso = Year(d) & "-" & Right("0" & Month(d), 2) & "-" & Right("0" & Day(d), 2)
End Function

Set r = CreateObject("VELDLG.DateRange")
r.BeginDate = DateSerial(2024, 7, 1)
r.EndDate = DateSerial(2024, 7, 31)
r.ShowForm
If r.Succeed Then
    WScript.Echo "From " & Iso(r.BeginDate) & " to " & Iso(r.EndDate)
Else
    WScript.Echo "Cancelled"
End If
