// VELDLG.DateRange from JScript: the dates of July 2024, as presets.

// An automation date counts days from 30 December 1899.
function automationDate(year, month, day) {
    return (Date.UTC(year, month - 1, day) - Date.UTC(1899, 11, 30)) / 86400000;
}

function iso(date) {
    var d = new Date(date); // JScript reads an automation date as local time
    function two(n) { return (n < 10 ? "0" : "") + n; }
    return d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate());
}

var r = new ActiveXObject("VELDLG.DateRange");
r.BeginDate = automationDate(2024, 7, 1);
r.EndDate = automationDate(2024, 7, 31);
r.ShowForm();
if (r.Succeed)
    WScript.Echo("From " + iso(r.BeginDate) + " to " + iso(r.EndDate));
else
    WScript.Echo("Cancelled");
