"""The tvrzolt22 module on a sample database made and registered by the zolt
command named in $ZOLT_CLI, with a registry file of its own."""
import datetime
import json
import os
import subprocess
import tempfile
import unittest

import tvrzolt22
from tvrzolt22 import Empty

folder = tempfile.TemporaryDirectory()
db = os.path.join(folder.name, "zolt.db")


def zolt(*words):
    return subprocess.run([os.environ["ZOLT_CLI"], *words], check=True, capture_output=True, text=True).stdout


def setUpModule():
    os.environ["ZOLT_REGISTRY"] = os.path.join(folder.name, "registry")
    zolt("init", "--db", db, "--sample")
    zolt("register")


def plain(value, connection):
    """A value of the command's typed JSON as the module gives it."""
    vt, v = value["vt"], value.get("v")
    if vt == "Empty":
        return Empty
    if vt == "DATE":
        return datetime.datetime.fromisoformat(v)
    if vt == "ARRAY":
        return [plain(item, connection) for item in v]
    if vt == "DISPATCH":
        return connection
    return None if vt == "Null" else v


class Calls(unittest.TestCase):
    def setUp(self):
        self.conn = tvrzolt22.connect(db)
        self.z = tvrzolt22.create("TvrZOLT22.ZOLT")

    def test_answers_as_the_command_does(self):
        # Texts, numbers, dates and arrays, in both dialects, with the
        # method and parameter names in other letter cases.
        cases = [
            ("gConsulta_Campos_PEDIDO", "ORACLE", {"InVntPedido_ID": 1}),
            ("gConsulta_Campos_PEDIDO_ITEM", "SQLSERVER", {"InVntPedido_Item_ID": 2}),
            ("gConsulta_Campos_LIS_PEDIDO_ITEM", "ORACLE", {"InVntPedido_ID": 1}),
            ("gVerifica_Duplicidade_PEDIDO", "SQLSERVER", {"InVntNum_Pedido_Externo": "PRG-0001", "InVntFornecedor_ID": 101}),
        ]
        for method, kind, args in cases:
            with self.subTest(method=method, kind=kind):
                answer = getattr(self.z, method.lower())(
                    INVNTCONECTA_DB=self.conn, invntbanco_dados=kind, invntusuario_internet_id=1,
                    **{name.upper(): value for name, value in args.items()})
                command = json.loads(zolt("call", method, "--db", db, "--kind", kind, "--user", "1",
                                          "--args", json.dumps(args)))
                self.assertEqual(answer.result, plain(command["result"], self.conn))
                self.assertEqual(answer.args, {name: plain(value, self.conn)
                                               for name, value in command["args"].items()})
                self.assertIs(answer.args["InVntConecta_DB"], self.conn)

    def test_values_map_both_ways(self):
        # On success the method leaves its message argument as it was given.
        when = datetime.datetime(2005, 3, 4, 10, 0, 0)
        cases = [
            (None, None), (Empty, Empty), (7, 7), (2**40, float(2**40)), (-2.5, -2.5), (True, True),
            ("Plásticos 'Gama'", "Plásticos 'Gama'"), (when, when),
            (datetime.date(2005, 3, 4), datetime.datetime(2005, 3, 4)),
            ([1, (False, "x")], [1, [False, "x"]]),
            ({"vt": "I2", "v": -7}, -7), ({"vt": "I8", "v": 5000000000}, 5000000000),
        ]
        for given, expected in cases:
            with self.subTest(given=given):
                answer = self.z.gVerifica_Data_Atual(InVntConecta_DB=self.conn, outvntMsg_Ret=given)
                self.assertTrue(answer.result)
                got = answer.args["outvntMsg_Ret"]
                self.assertEqual(got, expected)
                self.assertIs(type(got), type(expected))

    def test_refusals(self):
        deep = []
        for _ in range(100):
            deep = [deep]
        call = self.z.gVerifica_Data_Atual
        with self.assertRaisesRegex(AttributeError, "no method gNada"):
            self.z.gNada
        for arguments, error, text in [
            ({"InVntPedido_ID": 1}, TypeError, "no parameter InVntPedido_ID"),
            ({"outvntMsg_Ret": object()}, TypeError, "cannot pass a object"),
            ({"outvntMsg_Ret": deep}, ValueError, "nested deeper"),
            ({"outvntMsg_Ret": {"vt": "I2", "v": 40000}}, ValueError, "I2"),
        ]:
            with self.subTest(arguments=list(arguments)), self.assertRaisesRegex(error, text):
                call(**arguments)

    def test_failures_carry_number_description_and_source(self):
        for attempt, number in [(lambda: tvrzolt22.create("TvrZOLT22.Nada"), 429),
                                (lambda: tvrzolt22.connect("Provider=Nada;Data Source=x"), 3706)]:
            with self.subTest(number=number), self.assertRaises(tvrzolt22.Error) as caught:
                attempt()
            self.assertEqual(caught.exception.number, number)
            self.assertEqual(str(caught.exception), caught.exception.description)
            self.assertIsInstance(caught.exception.source, str)


if __name__ == "__main__":
    unittest.main()
