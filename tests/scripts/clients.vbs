' The four classes from VBScript: what the script engine adds to the calls
' the C++ tests make, namely Err.Number, Err.Source and Err.Description of
' each error, the VarType of every value read, and arrays a script can build.
On Error Resume Next
Dim failures: failures = 0

Sub Check(name, got, expected)
    If VarType(got) = VarType(expected) And got = expected Then Exit Sub
    WScript.Echo "not ok - " & name & ": got [" & got & "] (VarType " & VarType(got) & "), expected [" & _
        expected & "] (VarType " & VarType(expected) & ")"
    failures = failures + 1
End Sub

Sub CheckError(name, number, source, description)
    Check name & ": Err.Number", Err.Number, CLng(number)
    If source <> "" Then Check name & ": Err.Source", Err.Source, source
    If description <> "" Then Check name & ": Err.Description", Err.Description, description
    Err.Clear
End Sub

Set m = CreateObject("VELDLG.CustomMessage")
Check "a new result is Empty", VarType(m.ButtonResultCaption), vbEmpty
m.ButtonCaptions = "Yes,No"
m.NumButtons = 3
CheckError "three buttons for two captions", 1, "Custom Message", "Number of captions does not equal number of buttons"
Check "NumButtons is an Integer", m.NumButtons, 0
m.ShowForm
CheckError "ShowForm without buttons", 2, "Custom Message", _
    "Two required properties: ""NumButtons"" And ""ButtonCaption"" not set!"
m.NumButtons = 40000
CheckError "a count past 16 bits", 6, "", ""
x = m.DefaultButton
CheckError "a put-only property read", 438, "", ""
m.ButtonResultCaption = Null
Check "a result keeps any subtype", VarType(m.ButtonResultCaption), vbNull

Set p = CreateObject("VELDLG.LabelStartPosition")
p.NumRows = 21
p.NumColumns = 11
p.ShowForm
CheckError "rows are checked first", 2, "Label Start Position", "Property: ""NumRows"" cannot be greater than 20!"
p.FormCaption = "Labels"
Check "FormCaption is a String", p.FormCaption, "Labels"

Set d = CreateObject("VELDLG.DateRange")
Check "a new BeginDate is a Date", d.BeginDate, CDate(0)
Check "Succeed is a Boolean", d.Succeed, False
d.EndDate = DateSerial(2024, 7, 31) + TimeSerial(18, 0, 0)
Check "a put keeps the time of day", d.EndDate, DateSerial(2024, 7, 31) + TimeSerial(18, 0, 0)
d.BeginDate = "next week"
CheckError "a text that is no date", 13, "", ""
d.Succeed = True
CheckError "Succeed cannot be put", 438, "", ""

Set c = CreateObject("VELDLG.CustomList")
Check "ListIndex is an Integer", c.ListIndex, 0
Dim fixed(1), never()
fixed(0) = "Red": fixed(1) = "Green"
c.ListArray = Array("Red", "Green")
CheckError "an Array() list", 13, "VELDLG", "Type mismatch"
c.ListArray = Split("Red,Green", ",")
CheckError "a Split() list", 13, "VELDLG", "Type mismatch"
c.ListArray = fixed
CheckError "a Dim'd array", 13, "VELDLG", "Type mismatch"
c.ListArray = never
CheckError "an array never dimensioned", 13, "VELDLG", "Type mismatch"

If failures > 0 Then WScript.Echo failures & " check(s) failed": WScript.Quit 1
WScript.Echo "all checks passed"
