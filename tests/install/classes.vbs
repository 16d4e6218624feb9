' Every class, created by ProgID from an installation and used once.
failures = 0
For Each name In Array("CustomMessage", "LabelStartPosition", "DateRange", "CustomList")
    Set o = CreateObject("VELDLG." & name)
    If TypeName(o) <> "_" & name Then failures = failures + 1 : WScript.Echo "not ok: " & name & " is " & TypeName(o)
Next
WScript.Quit failures
