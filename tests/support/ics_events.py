#!/usr/bin/env python3
"""Reads an iCalendar file with the icalendar package and prints what a calendar program would take
from it: one line for the calendar, one per time zone and one per event, fields separated by " | ".
Texts are printed as JSON strings so a line break in one stays on its line."""
import json
import re
import sys

import dateutil.rrule
import icalendar

# A time zone's observances start at a local time and end (UNTIL) in UTC, as the standard's own
# examples do. icalendar 4.0.3 hands both to dateutil, which refuses the mix, and then drops UNTIL's
# zone itself; drop it first, so the zone is read as that version means to read it.
_rrulestr = dateutil.rrule.rrulestr


def _rrulestr_local_until(rule, **kwargs):
    dtstart = kwargs.get("dtstart")
    if dtstart is not None and dtstart.tzinfo is None:
        rule = re.sub(r"(UNTIL=\d{8}T\d{6})Z", r"\1", rule)
    return _rrulestr(rule, **kwargs)


dateutil.rrule.rrulestr = _rrulestr_local_until


def text(value):
    return json.dumps(str(value), ensure_ascii=False)


def start(prop):
    value = prop.dt
    if "TZID" not in prop.params:
        return value.isoformat()
    # The offset shows that the zone's definition was found and read, not just its name.
    return "%s TZID=%s" % (value.isoformat(), prop.params["TZID"])


def main(path):
    with open(path, "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())
    print("CALENDAR | %s | %s" % (calendar["PRODID"], calendar["VERSION"]))
    for zone in calendar.walk("VTIMEZONE"):
        print("VTIMEZONE | %s | %s" % (zone["TZID"], zone.get("X-LIC-LOCATION", "")))
    for event in calendar.walk("VEVENT"):
        fields = [str(event["UID"]), text(event["SUMMARY"]), start(event["DTSTART"])]
        rrule = event.get("RRULE")
        fields.append(rrule.to_ical().decode() if rrule is not None else "-")
        ends = [name for name in ("DTEND", "DURATION") if name in event]
        fields.append(",".join("%s=%s" % (n, event[n].to_ical().decode()) for n in ends) or "no end")
        for alarm in event.walk("VALARM"):
            trigger = alarm["TRIGGER"]
            fields.append("%s TRIGGER;RELATED=%s:%s %s" % (
                alarm["ACTION"], trigger.params.get("RELATED", "-"), trigger.to_ical().decode(),
                text(alarm["DESCRIPTION"])))
        print(" | ".join(fields))


if __name__ == "__main__":
    main(sys.argv[1])
