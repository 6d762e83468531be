-- Creates an order and answers its new key.
-- Without a user id, or without a PEDIDO_ID counter in Infra_Chave, nothing
-- is written and the answer is RETORNO 1.
-- Otherwise the counter goes up by 1 and its new value is the key. When no
-- order holds that key yet, the order is written with EMPRESA_ID 1, status 1
-- (the status argument is not used), the external number and supplier given,
-- and no client (none is passed); the insertion is recorded in Infra_Operacao
-- (entity 172, operation 1, the user id, the key) and the answer is RETORNO 0
-- with the key in PEDIDO_ID. When the key is already taken the counter keeps
-- its new value, nothing else is written and the answer is RETORNO 1, so the
-- next call draws the key after it.
CREATE PROCEDURE SP_QBX_INC_PEDIDO_OLT1 (@TAB_STATUS_ID NUMERIC, @NUM_PEDIDO_EXTERNO TEXT, @FORNECEDOR_ID INTEGER,
                                         @USUARIO_ID INTEGER)
AS
UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1
 WHERE NOME_COLUNA = 'PEDIDO_ID' AND @USUARIO_ID IS NOT NULL;
INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID)
SELECT ULTIMO_VALOR, 1, 1, @NUM_PEDIDO_EXTERNO, @FORNECEDOR_ID, NULL
  FROM Infra_Chave
 WHERE NOME_COLUNA = 'PEDIDO_ID' AND changes() = 1
   AND NOT EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO_ID = Infra_Chave.ULTIMO_VALOR);
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
SELECT 172, 1, @USUARIO_ID, ULTIMO_VALOR, julianday('now', 'localtime')
  FROM Infra_Chave
 WHERE NOME_COLUNA = 'PEDIDO_ID' AND changes() = 1;
SELECT CASE WHEN written = 1 THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN written = 1 THEN '' ELSE 'Não foi possível gerar a chave PEDIDO_ID.' END AS MSG_RET,
       CASE WHEN written = 1 THEN (SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID')
            ELSE 0 END AS PEDIDO_ID
  FROM (SELECT changes() AS written);
