"""Passwords for the settings files in the scrambled form Linkmend reads: a row of decimal numbers,
one per character of the password padded to ten, with its length plus 70 as the fifth number."""

_PADDING = ["q7Z%m2w!Rk4", "5Tn+8vb=Jd3", "h&9Lp_X6s?2", "W3e~j7!Qn8z", "4k)Ry2m#Vt9", "Pz6^c1;Hu5&"]


class Scrambler:
    """Scrambles as one run of Linkmend does: the first call uses padding text 1, the second text 2
    rotated, and so on, so a file written here reads back exactly as one Linkmend wrote."""

    def __init__(self):
        self.counter = 0

    def scramble(self, password):
        if password == "":
            return ""
        self.counter += 1
        padding = _PADDING[min(self.counter, 6) - 1]
        if self.counter % 2 == 0:
            padding = padding[5:] + padding[:5]
        if self.counter > 8:
            self.counter = 0
        word = password.strip(" ")
        length = len(word)
        if length < 10:
            word = (padding + word)[-10:]
        numbers = []
        for position, character in enumerate(word, 1):
            if position == 5:
                numbers.append(length + 70)
            code = character.encode("cp1252", "replace")[0]
            plus = position % 2 == 1 if position < 5 else position % 2 == 0
            numbers.append(code + 5 if plus else code - 5)
        return " ".join(str(n) for n in numbers)
