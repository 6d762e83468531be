-- Schema of the embedded database. Dates are stored as Julian day numbers
-- (REAL) in columns declared DATE, so that comparisons and "+ 1" (one day
-- later) work in SQL and the data layer hands them back as Date values.

CREATE TABLE PESSOA (
    PESSOA_ID     INTEGER PRIMARY KEY,
    NOME_FANTASIA TEXT,
    TIPO          TEXT NOT NULL CHECK (TIPO IN ('F', 'C'))  -- F supplier, C client (plant)
);

CREATE VIEW VFornecedor AS
    SELECT PESSOA_ID AS Fornecedor_ID, NOME_FANTASIA AS Nome_Fantasia FROM PESSOA WHERE TIPO = 'F';

CREATE VIEW VCliente AS
    SELECT PESSOA_ID AS Pessoa_ID, NOME_FANTASIA AS Nome_Fantasia FROM PESSOA WHERE TIPO = 'C';

CREATE TABLE PECA (
    PECA_ID       INTEGER PRIMARY KEY,
    COD_PECA      TEXT,
    DESCRICAO     TEXT,
    TAB_STATUS_ID INTEGER NOT NULL DEFAULT 1     -- 1 active
);

CREATE TABLE PEDIDO (
    PEDIDO_ID          INTEGER PRIMARY KEY,
    EMPRESA_ID         INTEGER,
    TAB_STATUS_ID      INTEGER,                  -- 1 active, 2 deleted
    NUM_PEDIDO_EXTERNO TEXT,
    FORNECEDOR_ID      INTEGER,
    Cliente_ID         INTEGER
);
CREATE INDEX PEDIDO_FORNECEDOR ON PEDIDO (FORNECEDOR_ID, NUM_PEDIDO_EXTERNO);

CREATE TABLE PEDIDO_ITEM (
    PEDIDO_ITEM_ID INTEGER PRIMARY KEY,
    PEDIDO_ID      INTEGER,
    PECA_ID        INTEGER,
    DATA_EMBARQUE  DATE,
    QTDE_PEDIDA    INTEGER,
    TAB_STATUS_ID  INTEGER                       -- 509 new, 510 confirmed, 2 deleted
);
CREATE INDEX PEDIDO_ITEM_PEDIDO ON PEDIDO_ITEM (PEDIDO_ID, PECA_ID);
CREATE INDEX PEDIDO_ITEM_EMBARQUE ON PEDIDO_ITEM (DATA_EMBARQUE);

-- One-row source table for inline answers.
CREATE TABLE Infra_IDS (ID INTEGER PRIMARY KEY);
INSERT INTO Infra_IDS (ID) VALUES (1);

-- Key counters: the last key issued per key column.
CREATE TABLE Infra_Chave (
    NOME_COLUNA  TEXT PRIMARY KEY,
    ULTIMO_VALOR INTEGER NOT NULL
);

-- Log of recorded write operations.
CREATE TABLE Infra_Operacao (
    OPERACAO_ID  INTEGER PRIMARY KEY AUTOINCREMENT,
    ENTIDADE_ID  INTEGER NOT NULL,               -- 172 PEDIDO, 260 PEDIDO_ITEM
    OPERACAO     INTEGER NOT NULL,               -- 1 insertion, 2 update
    USUARIO_ID   INTEGER,
    CHAVE        INTEGER NOT NULL,
    DATA_HORA    DATE NOT NULL
);
