"""Random use of the real program: the seeded run of monkey.py, 300 actions (PETARIKO_MONKEY_SEED
and PETARIKO_MONKEY_ACTIONS choose others)."""
import os
import unittest

from e2e_lib import DesktopTestCase
from monkey import Monkey


class MonkeyTest(DesktopTestCase):

    def test_random_use_leaves_the_program_alive_unfrozen_with_no_hidden_box_and_no_leak(self):
        seed = int(os.environ.get("PETARIKO_MONKEY_SEED", "15"))
        count = int(os.environ.get("PETARIKO_MONKEY_ACTIONS", "300"))
        lines = []
        monkey = Monkey(self.desktop, seed, out=lines.append)
        self.addCleanup(self.desktop.env.pop, "RECORD_ARGS_FILE", None)
        if monkey.run(range(count)):
            self.fail("\n".join(lines))
        print("\n" + "\n".join(lines))


if __name__ == "__main__":
    unittest.main()
