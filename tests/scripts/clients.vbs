' The classes from VBScript, for what the C++ tests cannot see: the VarType a
' script reads and the array a script passes. Err.Number, Err.Source and
' Err.Description as scripts read them, and JScript's side, are the
' documentation examples' (docs_test); the types of the properties are the
' type library's (dll_test).
On Error Resume Next
Dim failures: failures = 0

Sub Check(name, got, expected)
    If VarType(got) = VarType(expected) And got = expected Then Exit Sub
    WScript.Echo "not ok - " & name & ": got [" & got & "] of VarType " & VarType(got)
    failures = failures + 1
End Sub

Set m = CreateObject("VELDLG.CustomMessage")
Check "a new result is Empty", VarType(m.ButtonResultCaption), vbEmpty
m.NumButtons = 40000
Check "a count past 16 bits, not kept", Err.Number & " " & m.NumButtons, "6 0"
Err.Clear

' A Dim'd array goes by reference, an array of Variants.
Set c = CreateObject("VELDLG.CustomList")
Dim fixed(1)
fixed(0) = "Red": fixed(1) = "Green"
c.ListArray = fixed
Check "a Dim'd array", Err.Number & " " & Err.Source & " " & Err.Description, "13 VELDLG Type mismatch"

If failures > 0 Then WScript.Echo failures & " check(s) failed": WScript.Quit 1
WScript.Echo "all checks passed"
