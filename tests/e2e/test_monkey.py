"""Random use of the real program: the seeded run of monkey.py, 300 actions (PETARIKO_MONKEY_SEED
and PETARIKO_MONKEY_ACTIONS choose others), in three shares side by side. An action's choices come
from the seed and its index alone, so the shares together perform the run's every action; each
share starts its program afresh and warms it up, as a run does."""
import os
import unittest

from e2e_lib import DesktopTestCase
from monkey import Monkey

SHARES = 3


class MonkeyTest(DesktopTestCase):
    SIDE_BY_SIDE = True  # each share is a part of the suite run on its own desktop

    def run_share(self, share):
        seed = int(os.environ.get("PETARIKO_MONKEY_SEED", "15"))
        count = int(os.environ.get("PETARIKO_MONKEY_ACTIONS", "300"))
        lines = []
        monkey = Monkey(self.desktop, seed, out=lines.append)
        self.addCleanup(self.desktop.env.pop, "RECORD_ARGS_FILE", None)
        if monkey.run(range(share * count // SHARES, (share + 1) * count // SHARES)):
            self.fail("\n".join(lines))
        print("\n" + "\n".join(lines))

    def test_random_use_first_share_leaves_the_program_alive_unfrozen_with_no_hidden_box_and_no_leak(self):
        self.run_share(0)

    def test_random_use_second_share_leaves_the_program_alive_unfrozen_with_no_hidden_box_and_no_leak(self):
        self.run_share(1)

    def test_random_use_third_share_leaves_the_program_alive_unfrozen_with_no_hidden_box_and_no_leak(self):
        self.run_share(2)


if __name__ == "__main__":
    unittest.main()
