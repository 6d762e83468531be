-- Sample data: suppliers, clients, parts, orders and items (some confirmed,
-- one deleted), with shipping dates far enough ahead to stay valid. The same
-- script serves the embedded database and a server: dates are written as ODBC
-- date literals, which both read.

INSERT INTO PESSOA (PESSOA_ID, NOME_FANTASIA, TIPO) VALUES
    (101, 'Metalúrgica Alfa', 'F'),
    (102, 'Forjados Beta', 'F'),
    (103, 'Plásticos Gama', 'F'),
    (201, 'Planta Curitiba', 'C'),
    (202, 'Planta Betim', 'C');

INSERT INTO PECA (PECA_ID, COD_PECA, DESCRICAO, TAB_STATUS_ID) VALUES
    (301, 'PC-1001', 'Eixo dianteiro', 1),
    (302, 'PC-1002', 'Cubo de roda', 1),
    (303, 'PC-1003', 'Suporte do motor', 1),
    (304, 'PC-9999', 'Peça fora de linha', 2);

INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID) VALUES
    (1, 1, 1, 'PRG-0001', 101, 201),
    (2, 1, 1, 'PRG-0002', 102, 202),
    (3, 1, 2, 'PRG-0003', 101, 201);

INSERT INTO PEDIDO_ITEM (PEDIDO_ITEM_ID, PEDIDO_ID, PECA_ID, DATA_EMBARQUE, QTDE_PEDIDA, TAB_STATUS_ID) VALUES
    (1, 1, 301, {ts '2030-01-15 00:00:00'}, 100, 509),
    (2, 1, 302, {ts '2030-01-15 14:30:00'}, 50, 510),
    (3, 2, 301, {ts '2030-02-01 00:00:00'}, 10, 510),
    (4, 2, 303, {ts '2030-02-01 00:00:00'}, 5, 2),
    (5, 1, 304, {ts '2030-01-20 00:00:00'}, 7, 509);
