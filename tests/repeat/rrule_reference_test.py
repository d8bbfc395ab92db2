"""Series days as the program follows their rules, compared day by day over
ten years with python-dateutil's rrule, which no one here wrote."""
import subprocess
import sys
from datetime import datetime, timedelta

from dateutil.rrule import rrulestr

# first day, RRULE value, removed days
RULES = [
    ("07/12/2026", "FREQ=DAILY", []),
    ("07/12/2026", "FREQ=DAILY;INTERVAL=3", ["10/12/2026", "13/12/2026"]),
    ("07/12/2026", "FREQ=DAILY;COUNT=10", ["08/12/2026"]),
    ("07/12/2026", "FREQ=WEEKLY", []),
    ("08/12/2026", "FREQ=WEEKLY;INTERVAL=2;UNTIL=20280101", ["22/12/2026"]),
    ("08/12/2026", "FREQ=WEEKLY;COUNT=52", []),
    ("31/12/2026", "FREQ=WEEKLY;INTERVAL=5", []),
    ("15/01/2026", "FREQ=MONTHLY", ["15/03/2026"]),
    ("31/01/2026", "FREQ=MONTHLY", []),
    ("30/01/2026", "FREQ=MONTHLY;INTERVAL=1;COUNT=30", []),
    ("31/01/2026", "FREQ=MONTHLY;COUNT=12", []),
    ("31/03/2026", "FREQ=MONTHLY;INTERVAL=2", []),
    ("29/01/2027", "FREQ=MONTHLY;INTERVAL=13;UNTIL=20340101", []),
    ("28/02/2026", "FREQ=YEARLY", []),
    ("29/02/2028", "FREQ=YEARLY", []),
    ("29/02/2028", "FREQ=YEARLY;COUNT=3", []),
    ("29/02/2028", "FREQ=YEARLY;INTERVAL=4;UNTIL=20370101", ["28/02/2032"]),
    ("01/01/2026", "FREQ=YEARLY;INTERVAL=2", ["01/01/2030"]),
    ("10/06/2026", "FREQ=YEARLY;COUNT=1", []),
    ("05/12/2026", "FREQ=DAILY;UNTIL=20261205", []),
    ("07/12/2026", "FREQ=WEEKLY;BYDAY=MO,TH", []),
    ("01/12/2026", "FREQ=MONTHLY;BYDAY=-1FR", ["25/12/2026"]),
]


def day(text):
    return datetime.strptime(text, "%d/%m/%Y")


def reference(first, rule, removed):
    start = day(first)
    end = datetime(start.year + 10, start.month, 1) - timedelta(days=1)
    days = rrulestr("RRULE:" + rule, dtstart=start).between(start, end, inc=True)
    gone = {day(d) for d in removed}
    return [d.strftime("%d/%m/%Y") for d in days if d not in gone]


def main(dump):
    failures = 0
    for first, rule, removed in RULES:
        ours = subprocess.run([dump, first, rule, *removed], capture_output=True, text=True, check=True).stdout.split("\n")
        ours = [line for line in ours if line]
        theirs = reference(first, rule, removed)
        if ours != theirs:
            failures += 1
            extra = [d for d in ours if d not in theirs][:5]
            missing = [d for d in theirs if d not in ours][:5]
            print(f"{first} {rule} {removed}: {len(ours)} days, reference {len(theirs)}; "
                  f"ours only {extra}, reference only {missing}")
    print(f"{len(RULES) - failures} of {len(RULES)} rules agree with dateutil")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
