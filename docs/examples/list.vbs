' VELDLG.CustomList from VBScript: ListArray takes an array of strings, and
' every array that VBScript builds (Array, Split, Dim) is an array of
' Variants, so a script can only hand over an array that a compiled
' component made. An array of Variants is refused and the list stays as it was.
Set c = CreateObject("VELDLG.CustomList")
On Error Resume Next
c.ListArray = Array("Front Office Laser", "Warehouse Label Printer")
WScript.Echo "Error " & Err.Number & " (" & Err.Source & "): " & Err.Description
