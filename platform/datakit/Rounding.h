#pragma once
// Rounding of amounts to a number of decimal places, done on the decimal digits of the value:
// the value is read as the shortest decimal text that converts back to it (2.675 is "2.675",
// although the double is slightly below), and that text is rounded or cut. So 0.125 -> 0.13,
// 1.005 -> 1.01, 2.675 -> 2.68, -2.675 -> -2.68, as a person computing by hand expects.

// `value` rounded half away from zero to `decimals` places (a negative count rounds to tens,
// hundreds ...). Infinite and NaN values come back unchanged.
double RoundValor(double value, int decimals);

// `value` cut toward zero to `decimals` places: (1.005, 2) -> 1.00, (-2.679, 2) -> -2.67.
double TruncateValor(double value, int decimals);
